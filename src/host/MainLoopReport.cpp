#include "host/MainLoopReport.h"

#include <cstdlib>

#include "foundation/diagnostics/Diagnostics.h"
#include "foundation/dispatch/RealScheduler.h"

namespace velmora {
namespace {

std::string milliseconds(std::chrono::nanoseconds took) {
    const auto us = std::chrono::duration_cast<std::chrono::microseconds>(took).count();
    return std::to_string(us / 1000) + "." + std::to_string(us % 1000 / 100) + " ms";
}

}  // namespace

MainLoopReport::MainLoopReport(const std::shared_ptr<RealScheduler>& scheduler) {
    const char* report = std::getenv("VELMORA_MAIN_LOOP_REPORT");
    if (!report || !*report) return;
    scheduler_ = scheduler;
    const double seconds = std::atof(report);
    if (seconds <= 0) return;
    startUpSeconds_ = report;
    scheduler->asyncMainAfter(seconds, [weak = std::weak_ptr(scheduler), longest = startUpLongest_] {
        if (auto s = weak.lock()) {
            *longest = s->longestMainBlock();
            s->resetStallMeter();
        }
    });
}

void MainLoopReport::say(Diagnostics& diagnostics) const {
    if (!scheduler_) return;
    if (*startUpLongest_) {
        diagnostics.line("[main loop] longest block in the first " + startUpSeconds_ +
                         " s: " + milliseconds(**startUpLongest_));
    }
    diagnostics.line("[main loop] longest block: " + milliseconds(scheduler_->longestMainBlock()));
}

}  // namespace velmora
