#pragma once
// A whole Platform of test doubles on virtual time: scripted processes, fake
// services, in-memory defaults, captured diagnostics, a seeded random source.
#include <memory>

#include "foundation/defaults/MemoryUserDefaults.h"
#include "foundation/diagnostics/Diagnostics.h"
#include "foundation/dispatch/VirtualScheduler.h"
#include "platform/Platform.h"
#include "support/FakeProcessInspector.h"
#include "support/FakeServices.h"
#include "support/ScriptedProcessLauncher.h"

namespace velmora::testing {

struct TestPlatform {
    std::shared_ptr<VirtualScheduler> scheduler = std::make_shared<VirtualScheduler>();
    std::shared_ptr<ScriptedProcessLauncher> processes = std::make_shared<ScriptedProcessLauncher>();
    std::shared_ptr<FakePowerAssertions> power = std::make_shared<FakePowerAssertions>();
    std::shared_ptr<FakeWorkspace> workspace = std::make_shared<FakeWorkspace>();
    std::shared_ptr<FakeAppleScriptRunner> appleScript = std::make_shared<FakeAppleScriptRunner>();
    std::shared_ptr<FakeNotificationCenter> notifications = std::make_shared<FakeNotificationCenter>();
    std::shared_ptr<MemoryUserDefaults> defaults = std::make_shared<MemoryUserDefaults>();
    std::shared_ptr<StringTable> strings = std::make_shared<StringTable>();
    std::shared_ptr<CapturingDiagnostics> diagnostics = std::make_shared<CapturingDiagnostics>();
    std::shared_ptr<RandomSource> random = std::make_shared<RandomSource>(42);
    std::shared_ptr<FakeAlerts> alerts = std::make_shared<FakeAlerts>();
    MainBundle bundle{"com.orrindel.velmora", "/Applications/Velmora.app"};
    std::shared_ptr<FakeProcessInspector> processInspector = std::make_shared<FakeProcessInspector>();
    std::shared_ptr<HistoryRecorder> history;  // null: nothing recorded
    std::shared_ptr<HistorySource> historySource;

    Platform platform() const {
        return Platform{scheduler, processes, power,  workspace, appleScript, notifications, defaults,
                        strings,   diagnostics, random, alerts,  bundle,      processInspector, history, historySource};
    }
};

}  // namespace velmora::testing
