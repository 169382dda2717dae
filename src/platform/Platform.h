#pragma once
// Everything the operating system provides, in one bundle that every manager
// receives in its constructor. The real host, the simulated Mac and the test
// doubles each fill it in their own way.
#include <memory>

#include "foundation/defaults/UserDefaults.h"
#include "foundation/diagnostics/Diagnostics.h"
#include "foundation/dispatch/Scheduler.h"
#include "foundation/process/ProcessLauncher.h"
#include "foundation/process/ShellRunner.h"
#include "foundation/random/RandomSource.h"
#include "foundation/strings/StringTable.h"
#include "history/record/HistoryRecorder.h"
#include "history/record/HistorySource.h"
#include "platform/Alerts.h"
#include "platform/AppleScript.h"
#include "platform/MainBundle.h"
#include "platform/Notifications.h"
#include "platform/PowerAssertions.h"
#include "platform/ProcessInspector.h"
#include "platform/Workspace.h"

namespace velmora {

struct Platform {
    std::shared_ptr<Scheduler> scheduler;
    std::shared_ptr<ProcessLauncher> processes;
    std::shared_ptr<PowerAssertions> power;
    std::shared_ptr<Workspace> workspace;
    std::shared_ptr<AppleScriptRunner> appleScript;
    std::shared_ptr<NotificationCenter> notifications;
    std::shared_ptr<UserDefaults> defaults;
    std::shared_ptr<const StringTable> strings;
    std::shared_ptr<Diagnostics> diagnostics;
    std::shared_ptr<RandomSource> random;
    std::shared_ptr<Alerts> alerts;
    MainBundle bundle;
    std::shared_ptr<ProcessInspector> processInspector;
    // What happened to each disk; null where nothing is kept (most tests).
    std::shared_ptr<HistoryRecorder> history;
    // Where the window reads it back; null where there is none.
    std::shared_ptr<HistorySource> historySource;

    // The runners over `processes` and `diagnostics`.
    ShellRunner runner() const { return ShellRunner(processes, diagnostics); }
};

}  // namespace velmora
