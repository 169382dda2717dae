// The program's entry on hosts that are not a Mac: the disk monitor, the
// automatic USB stabilizer, the system load monitor and the performance
// optimizer run headless against a simulated Mac (a machine folder made with
// velmora-sim), printing their diagnostic lines, until
// interrupted or until --seconds have passed. The menu-bar shell and the main
// window come later; on macOS the same managers will run against the real
// platform services.
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <pthread.h>
#include <string>
#include <thread>

#include "disks/DiskMonitor.h"
#include "foundation/diagnostics/Diagnostics.h"
#include "foundation/dispatch/RealScheduler.h"
#include "foundation/strings/StringTable.h"
#include "performance/PerformanceOptimizer.h"
#include "sim/services/SimPlatform.h"
#include "stabilizer/AutomaticUSBStabilizer.h"
#include "system/SharedSystemMonitor.h"

namespace {

int usage(int status) {
    std::cout << "usage: velmora [--machine DIR] [--seconds N] [--bundle-path PATH]\n"
                 "  --machine DIR  the simulated Mac to run against (default: $VELMORA_MACHINE)\n"
                 "  --bundle-path PATH  the application bundle the program runs from\n"
                 "                 (default: DIR/Applications/Velmora.app)\n"
                 "  --seconds N    stop after N seconds (default: run until interrupted)\n";
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    std::optional<std::string> machine;
    if (const char* env = std::getenv("VELMORA_MACHINE")) machine = env;
    std::optional<double> seconds;
    std::optional<std::string> bundlePath;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") return usage(0);
        if (arg == "--machine" && i + 1 < argc) {
            machine = argv[++i];
        } else if (arg == "--bundle-path" && i + 1 < argc) {
            bundlePath = argv[++i];
        } else if (arg == "--seconds" && i + 1 < argc) {
            char* end = nullptr;
            const double value = std::strtod(argv[++i], &end);
            if (end == argv[i] || *end != '\0' || value <= 0) return usage(2);
            seconds = value;
        } else {
            return usage(2);
        }
    }
    // Without a simulated Mac there is nothing safe to run the system tools
    // against on this host: refuse rather than touch the host.
    if (!machine || !std::filesystem::exists(*machine + "/.velmora-sim/state.json")) {
        std::cout << "❌ Simüle Mac bulunamadı. Önce bir tane oluşturun: velmora-sim init DIR --scenario default\n";
        return usage(2);
    }

    // Interrupts are taken by one thread with sigwait, so the main loop can
    // sleep until there is work instead of polling a flag. The mask is set
    // before any thread starts, so every thread inherits it.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGUSR1);  // our own wake-up for the signal thread at exit
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    auto scheduler = velmora::RealScheduler::create();
    auto diagnostics = std::make_shared<velmora::StdoutDiagnostics>();
    velmora::sim::SimulatedPlatformOptions options;
    options.bundlePath = bundlePath;
    options.strings = std::make_shared<velmora::StringTable>(
        velmora::StringTable::loadFile(std::string(VELMORA_RESOURCES_DIR) + "/en.strings"));
    const velmora::Platform platform =
        velmora::sim::makeSimulatedPlatform(*machine, scheduler, diagnostics, options);

    auto optimizer = velmora::PerformanceOptimizer::create(platform);
    optimizer->startOptimization();
    auto monitor = velmora::DiskMonitor::create(platform);
    monitor->onDiskConnected = [weak = std::weak_ptr<velmora::PerformanceOptimizer>(optimizer)](
                                   const velmora::DiskInfo& disk) {
        if (auto o = weak.lock()) o->optimizeDisk(disk);
    };
    monitor->startMonitoring();
    auto stabilizer = velmora::AutomaticUSBStabilizer::create(platform);
    auto systemMonitor = velmora::SharedSystemMonitor::create(platform);
    // Headless, nothing shows the monitor's values; a line whenever the set of
    // heavy applications changes stands in for the window.
    systemMonitor->runningLargeApps.observe([diagnostics, last = std::make_shared<std::vector<std::string>>()](
                                                const std::vector<std::string>& apps) {
        if (apps == *last) return;
        *last = apps;
        std::string names;
        for (const auto& app : apps) names += (names.empty() ? "" : ", ") + app;
        diagnostics->line("[system monitor] heavy applications: " + (names.empty() ? std::string("none") : names));
    });

    std::thread signalWaiter([&stopSignals, weak = std::weak_ptr<velmora::RealScheduler>(scheduler)] {
        int received = 0;
        sigwait(&stopSignals, &received);
        if (received == SIGUSR1) return;  // our own wake-up at exit
        if (auto s = weak.lock()) s->stop();
    });
    if (seconds) {
        scheduler->asyncMainAfter(*seconds, [weak = std::weak_ptr<velmora::RealScheduler>(scheduler)] {
            if (auto s = weak.lock()) s->stop();
        });
    }
    scheduler->run();

    monitor->stopMonitoring();
    optimizer->stopOptimization();
    // Destroying the stabilizer stops it; the watchdog is what keeps it alive.
    // The queues are shut down first so that no queue block holds the last
    // reference: the stop then runs here, on the main thread.
    stabilizer->endWatchdog();
    scheduler->shutdown();
    stabilizer.reset();
    // End the signal thread if no signal came.
    pthread_kill(signalWaiter.native_handle(), SIGUSR1);
    signalWaiter.join();
    return 0;
}
