#pragma once
// For scripts/measure: the main loop's longest block, said at exit when
// VELMORA_MAIN_LOOP_REPORT=N is set, with the first N seconds (start-up:
// loading the window and drawing it first) reported apart from the rest,
// which is what a person using the program would feel.
#include <chrono>
#include <memory>
#include <optional>
#include <string>

namespace velmora {

class Diagnostics;
class RealScheduler;

class MainLoopReport {
public:
    // Reads the variable and starts the start-up span; nothing when unset.
    explicit MainLoopReport(const std::shared_ptr<RealScheduler>& scheduler);
    void say(Diagnostics& diagnostics) const;

private:
    std::shared_ptr<RealScheduler> scheduler_;
    std::string startUpSeconds_;
    std::shared_ptr<std::optional<std::chrono::nanoseconds>> startUpLongest_ =
        std::make_shared<std::optional<std::chrono::nanoseconds>>();
};

}  // namespace velmora
