#include "stabilizer/StabilizerContext.h"

#include "stabilizer/AutomaticUSBStabilizer.h"

namespace velmora {

namespace {
Block publishingBlock(std::weak_ptr<AutomaticUSBStabilizer> owner, std::optional<StabilityLevel> level,
                      std::string action) {
    return [owner = std::move(owner), level, action = std::move(action)] {
        auto stabilizer = owner.lock();
        if (!stabilizer) return;
        if (level) stabilizer->currentStabilityLevel.set(*level);
        stabilizer->lastStabilizationAction.set(action);
    };
}
}  // namespace

StabilizerContext::StabilizerContext(Platform platform, std::weak_ptr<AutomaticUSBStabilizer> owner)
    : platform_(std::move(platform)), runner_(platform_.runner()), owner_(std::move(owner)) {}

void StabilizerContext::log(std::string_view text) const { platform_.diagnostics->line(text); }

void StabilizerContext::run(const Script& script) const {
    runner_.runScript(script, ShellRunner::stabilizerMessages());
}

std::string StabilizerContext::output(const Script& script) const {
    return runner_.runScriptWithOutput(script, ShellRunner::outputMessages());
}

void StabilizerContext::publish(std::optional<StabilityLevel> level, std::string action) const {
    platform_.scheduler->asyncMain(publishingBlock(owner_, level, std::move(action)));
}

void StabilizerContext::publishAfter(double seconds, std::optional<StabilityLevel> level, std::string action) const {
    platform_.scheduler->asyncMainAfter(seconds, publishingBlock(owner_, level, std::move(action)));
}

void StabilizerContext::onMain(std::function<void(AutomaticUSBStabilizer&)> change) const {
    platform_.scheduler->asyncMain([owner = owner_, change = std::move(change)] {
        if (auto stabilizer = owner.lock()) change(*stabilizer);
    });
}

}  // namespace velmora
