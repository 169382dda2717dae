#include "platform/mac/MacPlatform.h"

#include <cstdlib>
#include <string>

#include "foundation/process/BackgroundJobLedger.h"
#include "foundation/process/PosixProcessLauncher.h"
#include "platform/mac/MacAppleScriptRunner.h"
#include "platform/mac/MacMainBundle.h"
#include "platform/mac/MacNotificationCenter.h"
#include "platform/mac/MacPowerAssertions.h"
#include "platform/mac/MacProcessInspector.h"
#include "platform/mac/MacUserDefaults.h"
#include "platform/mac/MacWorkspace.h"

namespace velmora::mac {

Platform makeMacPlatform(std::shared_ptr<Scheduler> scheduler, std::shared_ptr<Diagnostics> diagnostics,
                         MacPlatformOptions options) {
    Platform platform;
    platform.scheduler = std::move(scheduler);
    platform.diagnostics = diagnostics;
    // The launcher's defaults: the real root, the system's PATH folders.
    platform.processes = std::make_shared<PosixProcessLauncher>(LauncherOptions{}, diagnostics);
    // A launch first ends the scripts' background jobs that a run killed
    // before it could end them left behind.
    if (const char* home = std::getenv("HOME"); home && home[0] == '/') {
        auto jobs = BackgroundJobLedger::create(std::string(home) + "/Library/Application Support/Velmora/BackgroundJobs",
                                                diagnostics);
        jobs->endLeftovers();
        platform.processes = std::make_shared<LedgerLauncher>(platform.processes, jobs);
    }
    platform.power = std::make_shared<MacPowerAssertions>();
    platform.workspace = std::make_shared<MacWorkspace>();
    platform.appleScript = std::make_shared<MacAppleScriptRunner>();
    platform.notifications = std::make_shared<MacNotificationCenter>();
    platform.defaults = std::make_shared<MacUserDefaults>();
    const auto strings = bundleResourcePath("en", "strings");
    platform.strings = std::make_shared<const StringTable>(strings ? StringTable::loadFile(*strings) : StringTable());
    platform.random = std::make_shared<RandomSource>(RandomSource::fromEntropy().seed());
    platform.alerts = std::move(options.alerts);
    platform.bundle = mainBundle();
    if (options.bundlePath) platform.bundle.path = *options.bundlePath;
    platform.processInspector = std::make_shared<MacProcessInspector>();
    return platform;
}

}  // namespace velmora::mac
