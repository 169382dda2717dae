#pragma once
// What the stabilizer's collaborators share: the platform, the two sudo-rule
// runners with the stabilizer's messages, and the way back to the published
// state. Published writes always go through the main queue and hold the
// stabilizer weakly, so a write queued by work that outlives it does nothing.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "foundation/process/Script.h"
#include "platform/Platform.h"
#include "stabilizer/StabilityLevel.h"

namespace velmora {

class AutomaticUSBStabilizer;

class StabilizerContext {
public:
    StabilizerContext(Platform platform, std::weak_ptr<AutomaticUSBStabilizer> owner);

    const Platform& platform() const { return platform_; }
    const std::weak_ptr<AutomaticUSBStabilizer>& owner() const { return owner_; }

    void log(std::string_view text) const;
    // The stabilizer's plain runner: output inherited, result ignored.
    void run(const Script& script) const;
    // The output runner: captured standard output, empty on refusal or failure.
    std::string output(const Script& script) const;

    // Queues a write of the level (when given) and the last-action text.
    void publish(std::optional<StabilityLevel> level, std::string action) const;
    void publishAfter(double seconds, std::optional<StabilityLevel> level, std::string action) const;
    // Queues any other change of the published state.
    void onMain(std::function<void(AutomaticUSBStabilizer&)> change) const;

private:
    Platform platform_;
    ShellRunner runner_;
    std::weak_ptr<AutomaticUSBStabilizer> owner_;
};

}  // namespace velmora
