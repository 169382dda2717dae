#include "stabilizer/StabilizerContext.h"

#include "stabilizer/StabilizerRunnerMessages.h"

namespace velmora {

StabilizerContext::StabilizerContext(Platform platform, std::weak_ptr<void> owner, ActionWriter writeAction)
    : platform_(std::move(platform)),
      runner_(platform_.runner()),
      owner_(std::move(owner)),
      writeAction_(std::move(writeAction)) {}

void StabilizerContext::log(std::string_view text) const { platform_.diagnostics->line(text); }

void StabilizerContext::run(const Script& script) const { runner_.runScript(script, stabilizerScriptMessages()); }

std::shared_ptr<BackgroundJobs> StabilizerContext::runKeepingJobs(const Script& script) const {
    return runner_.runScriptKeepingJobs(script, stabilizerScriptMessages());
}

std::string StabilizerContext::output(const Script& script) const {
    return runner_.runScriptWithOutput(script, stabilizerOutputMessages());
}

std::string StabilizerContext::result(const Script& script) const { return runner_.runZshWithResult(script); }

Block StabilizerContext::publishingBlock(std::optional<StabilityLevel> level, std::string action) const {
    return [owner = owner_, write = writeAction_, level, action = std::move(action)] {
        // Held for the write, so the writer may refer to the stabilizer directly.
        auto alive = owner.lock();
        if (alive) write(level, action);
    };
}

void StabilizerContext::publish(std::optional<StabilityLevel> level, std::string action) const {
    platform_.scheduler->asyncMain(publishingBlock(level, std::move(action)));
}

void StabilizerContext::publishAfter(double seconds, std::optional<StabilityLevel> level, std::string action) const {
    platform_.scheduler->asyncMainAfter(seconds, publishingBlock(level, std::move(action)));
}

}  // namespace velmora
