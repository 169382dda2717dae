// The host platform on a Mac: the system's own services. The simulated Mac
// runs on other hosts only, so a machine folder named here is refused rather
// than silently ignored.
#include <cstdlib>
#include <sstream>

#include "app/root/HeadlessFrontend.h"
#include "host/HostPlatform.h"
#include "platform/mac/MacMainRunLoop.h"
#include "platform/mac/MacPlatform.h"
#include "ui/qt/QtAlerts.h"

namespace velmora {

std::optional<Platform> makeHostPlatform(const LaunchOptions& options, std::shared_ptr<Scheduler> scheduler,
                                         std::shared_ptr<Diagnostics> diagnostics) {
    if (options.machine) {
        diagnostics->line("❌ Simüle Mac bu Mac'te kullanılmaz: " + *options.machine +
                          ". --machine ve $VELMORA_MACHINE olmadan başlatın");
        return std::nullopt;
    }
    mac::MacPlatformOptions macOptions;
    macOptions.alerts = std::make_shared<QtAlerts>();
    macOptions.bundlePath = options.bundlePath;
    auto platform = withSharedQueries(mac::makeMacPlatform(std::move(scheduler), std::move(diagnostics), std::move(macOptions)));
    std::ostringstream ignored;
    if (const auto file = hostHistoryFile(std::nullopt, ignored)) return withHistory(std::move(platform), *file);
    return platform;
}

std::optional<std::string> hostHistoryFile(const std::optional<std::string>& machine, std::ostream& err) {
    if (machine) {
        err << "velmora history: there is no simulated Mac on a Mac: " << *machine << "\n";
        return std::nullopt;
    }
    const char* home = std::getenv("HOME");
    if (!home || home[0] != '/') {
        err << "velmora history: $HOME is not set\n";
        return std::nullopt;
    }
    return std::string(home) + "/Library/Application Support/Velmora/History.sqlite";
}

// Headless there is no Qt loop to run the main run loop, and without it the
// workspace's list of running applications never changes.
std::shared_ptr<Frontend> makeHeadlessFrontend(std::shared_ptr<RealScheduler> scheduler) {
    auto loop = std::make_shared<mac::MacMainRunLoop>(scheduler);
    return std::make_shared<HeadlessFrontend>(
        std::move(scheduler), HeadlessFrontend::MainLoop{[loop] { loop->run(); }, [loop] { loop->stop(); }});
}

}  // namespace velmora
