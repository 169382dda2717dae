#pragma once
// What the stabilizer's collaborators share: the platform (queues, clock,
// tools), the two sudo-rule runners with the stabilizer's messages, and the
// one way back to the published level and last-action text. Those writes go
// through the main queue and happen only while the stabilizer still exists,
// so a write queued by work that outlives it does nothing.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "foundation/process/Script.h"
#include "platform/Platform.h"
#include "stabilizer/StabilityLevel.h"

namespace velmora {

class StabilizerContext {
public:
    // Writes the level (when given) and the last-action text; called on the
    // main thread, and only while `owner` is alive.
    using ActionWriter = std::function<void(std::optional<StabilityLevel>, const std::string&)>;

    StabilizerContext(Platform platform, std::weak_ptr<void> owner, ActionWriter writeAction);

    const Platform& platform() const { return platform_; }
    // A strong hold on the stabilizer for work that must finish even if its
    // owner lets go meanwhile; empty once it is gone.
    std::shared_ptr<void> holdOwner() const { return owner_.lock(); }

    void log(std::string_view text) const;
    // The stabilizer's plain runner: output inherited, result ignored.
    void run(const Script& script) const;
    // Same, handing back the background jobs the script leaves.
    std::shared_ptr<BackgroundJobs> runKeepingJobs(const Script& script) const;
    // The output runner: captured standard output, empty on refusal or failure.
    std::string output(const Script& script) const;
    // The watchdog's runner: zsh, no sudo rule, output and error together.
    std::string result(const Script& script) const;

    // Queues a write of the level (when given) and the last-action text.
    void publish(std::optional<StabilityLevel> level, std::string action) const;
    void publishAfter(double seconds, std::optional<StabilityLevel> level, std::string action) const;

private:
    Block publishingBlock(std::optional<StabilityLevel> level, std::string action) const;

    Platform platform_;
    ShellRunner runner_;
    std::weak_ptr<void> owner_;
    ActionWriter writeAction_;
};

}  // namespace velmora
