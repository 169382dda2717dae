// Runs the system load monitor and the performance optimizer alone against a
// simulated Mac on real time, then reports what they cost: the program's own
// CPU time against its children's, and child processes per minute.
//   velmora_load_watch DIR SECONDS
#include <sys/resource.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "foundation/dispatch/RealScheduler.h"
#include "performance/PerformanceOptimizer.h"
#include "sim/services/SimPlatform.h"
#include "system/SharedSystemMonitor.h"

namespace {

class CountingLauncher final : public velmora::ProcessLauncher {
public:
    explicit CountingLauncher(std::shared_ptr<velmora::ProcessLauncher> inner) : inner_(std::move(inner)) {}
    velmora::RunResult run(const velmora::RunSpec& request) override {
        ++runs;
        return inner_->run(request);
    }
    std::atomic<long> runs{0};

private:
    std::shared_ptr<velmora::ProcessLauncher> inner_;
};

class Quiet final : public velmora::Diagnostics {
public:
    void line(std::string_view) override {}
};

double seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; }

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: velmora_load_watch DIR SECONDS\n");
        return 2;
    }
    const double duration = std::atof(argv[2]);
    auto scheduler = velmora::RealScheduler::create();
    velmora::Platform platform =
        velmora::sim::makeSimulatedPlatform(argv[1], scheduler, std::make_shared<Quiet>());
    auto counter = std::make_shared<CountingLauncher>(platform.processes);
    platform.processes = counter;

    auto optimizer = velmora::PerformanceOptimizer::create(platform);
    optimizer->startOptimization();
    auto monitor = velmora::SharedSystemMonitor::create(platform);
    scheduler->asyncMainAfter(duration, [scheduler] { scheduler->stop(); });
    scheduler->run();
    optimizer->stopOptimization();
    scheduler->shutdown();

    rusage self {}, children {};
    getrusage(RUSAGE_SELF, &self);
    getrusage(RUSAGE_CHILDREN, &children);
    const double minutes = duration / 60.0;
    std::printf("wall %.0f s\n", duration);
    std::printf("own CPU      %.2f s user + %.2f s sys = %.3f%% of one core\n", seconds(self.ru_utime),
                seconds(self.ru_stime), 100 * (seconds(self.ru_utime) + seconds(self.ru_stime)) / duration);
    std::printf("children CPU %.2f s user + %.2f s sys = %.3f%% of one core\n", seconds(children.ru_utime),
                seconds(children.ru_stime),
                100 * (seconds(children.ru_utime) + seconds(children.ru_stime)) / duration);
    std::printf("child processes %ld = %.1f per minute\n", counter->runs.load(),
                static_cast<double>(counter->runs.load()) / minutes);
    return 0;
}
