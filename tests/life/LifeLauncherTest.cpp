// The life run's launcher against a simulated Mac: a stand-in tool answers
// in-process as its process would, its waits and hangs cost virtual time
// only, and tools read the virtual clock whether they run in-process or
// inside a script.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "foundation/dispatch/VirtualScheduler.h"
#include "sim/SimTestSupport.h"
#include "sim/life/LifeLauncher.h"
#include "sim/services/SimPlatform.h"
#include "sim/state/MachineEditor.h"

namespace velmora::life {
namespace {

using sim::testing::ScratchMachine;

constexpr double kVirtualNow = 1767225600.0;  // far from the host's clock

struct Rig {
    ScratchMachine mac;
    std::vector<double> stalls;
    std::shared_ptr<LifeLauncher> launcher;

    Rig() {
        sim::SimulatedPlatformOptions options;
        options.launcher.defaultDeadlineSeconds = 120;
        auto platform = sim::makeSimulatedPlatform(mac.dir(), std::make_shared<VirtualScheduler>(), nullptr, options);
        launcher = std::make_shared<LifeLauncher>(
            platform.processes, 0.01, 120, [] { return std::string("usb.queue"); },
            [this](double seconds) { stalls.push_back(seconds); }, [] {}, [] { return kVirtualNow; }, mac.dir(),
            nullptr, options.launcher.outputCapBytes);
    }
    RunResult run(const std::string& program, std::vector<std::string> arguments, double deadline = 60) {
        RunSpec request;
        request.program = program;
        request.arguments = std::move(arguments);
        request.output = OutputWiring::pipe;
        request.error = ErrorWiring::mergeIntoOutput;
        request.deadlineSeconds = deadline;
        return launcher->run(request);
    }
};

TEST(LifeLauncher, AStandInToolAnswersInProcessOnVirtualTime) {
    if (!sim::testing::haveRealTools()) GTEST_SKIP() << "stand-in binary not built";
    struct Case {
        const char* name;
        std::function<void(sim::MachineEditor&)> fault;
        double deadline;
        RunResult::Outcome outcome;
        int exitStatus;
        std::vector<double> stalls;
        const char* outputHas;
    };
    const std::vector<Case> cases = {
        {"plain", [](sim::MachineEditor&) {}, 60, RunResult::Outcome::exited, 0, {}, "\n"},
        {"slow within the deadline", [](sim::MachineEditor& e) { e.setToolSlow("sysctl", 30); }, 60,
         RunResult::Outcome::exited, 0, {30}, "\n"},
        {"slow past the deadline", [](sim::MachineEditor& e) { e.setToolSlow("sysctl", 30); }, 10,
         RunResult::Outcome::deadline, -1, {10}, ""},
        {"hang", [](sim::MachineEditor& e) { e.setToolFault("sysctl", sim::ToolFault::hang); }, 45,
         RunResult::Outcome::deadline, -1, {45}, ""},
        {"fail, its error merged", [](sim::MachineEditor& e) { e.setToolFault("sysctl", sim::ToolFault::fail); }, 60,
         RunResult::Outcome::exited, 1, {}, "Input/output error"},
    };
    for (const auto& c : cases) {
        Rig rig;
        sim::MachineEditor editor(rig.mac.machine());
        c.fault(editor);
        const RunResult result = rig.run("/usr/sbin/sysctl", {"hw.ncpu"}, c.deadline);
        EXPECT_EQ(result.outcome, c.outcome) << c.name;
        EXPECT_EQ(result.exitStatus, c.exitStatus) << c.name;
        EXPECT_EQ(rig.stalls, c.stalls) << c.name;
        EXPECT_NE(result.output.find(c.outputHas), std::string::npos) << c.name << ": " << result.output;
        EXPECT_EQ(rig.launcher->inProcessRuns(), 1) << c.name;
    }

    // A tool whose link is gone, and anything not a stand-in tool, start for real.
    Rig rig;
    sim::MachineEditor(rig.mac.machine()).setToolFault("sysctl", sim::ToolFault::missing);
    EXPECT_EQ(rig.run("/usr/sbin/sysctl", {"hw.ncpu"}).outcome, RunResult::Outcome::startFailed);
    EXPECT_TRUE(rig.run("/bin/sh", {"-c", "exit 0"}).succeeded());
    EXPECT_EQ(rig.launcher->inProcessRuns(), 0);
}

TEST(LifeLauncher, ToolsReadTheVirtualClockInProcessAndInScripts) {
    if (!sim::testing::haveRealTools()) GTEST_SKIP() << "stand-in binary not built";
    Rig rig;
    const std::string expected = std::to_string(static_cast<long>(kVirtualNow)) + "\n";
    EXPECT_EQ(rig.run("/bin/date", {"-u", "+%s"}).output, expected);
    EXPECT_EQ(rig.run("/bin/sh", {"-c", "date -u +%s"}).output, expected);

    // A line logged on the virtual clock is within `log show --last` of it.
    sim::MachineEditor(rig.mac.machine(), [] { return kVirtualNow - 30; }).appendLog("life marker");
    for (const auto& program : {std::string("/usr/bin/log"), std::string("/bin/sh")}) {
        const RunResult shown = program == "/bin/sh" ? rig.run(program, {"-c", "log show --last 1m"})
                                                     : rig.run(program, {"show", "--last", "1m"});
        EXPECT_NE(shown.output.find("life marker"), std::string::npos) << program << ": " << shown.output;
    }
}

}  // namespace
}  // namespace velmora::life
