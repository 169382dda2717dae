#include <gtest/gtest.h>

#include <sys/stat.h>

#include "SimTestSupport.h"
#include "sim/services/SimPlatform.h"

namespace velmora::sim {
namespace {

TEST(SimPlatform, ProcessesRunInsideTheMachineAndDefaultsLiveThere) {
    testing::ScratchMachine mac("empty");
    auto diagnostics = std::make_shared<CapturingDiagnostics>();
    Platform platform = makeSimulatedPlatform(mac.dir(), nullptr, diagnostics);
    ASSERT_TRUE(platform.processes && platform.power && platform.workspace && platform.appleScript &&
                platform.notifications && platform.defaults && platform.strings && platform.random);

    RunSpec request;
    request.program = "/bin/sh";
    request.arguments = {"-c", "printf '%s|%s' \"$VELMORA_SIM_MACHINE\" \"$(command -v diskutil)\""};
    request.output = OutputWiring::pipe;
    RunResult r = platform.processes->run(request);
    ASSERT_TRUE(r.succeeded()) << r.errorDescription;
    EXPECT_EQ(r.output, mac.dir() + "|" + mac.dir() + "/usr/sbin/diskutil");

    platform.defaults->setBool("AutoStartEnabled", true);
    struct stat info {};
    EXPECT_EQ(::stat((mac.dir() + "/.velmora-sim/defaults/com.orrindel.velmora.plist").c_str(), &info), 0);

    std::uint32_t id = 0;
    EXPECT_EQ(platform.power->create("PreventUserIdleSystemSleep", 255, "Velmora", id), 0);
    EXPECT_EQ(mac.machine().read().assertions.size(), 1u);
}

TEST(SimPlatform, AMissingToolIsAStartFailure) {
    testing::ScratchMachine mac("empty");
    Platform platform = makeSimulatedPlatform(mac.dir(), nullptr, std::make_shared<CapturingDiagnostics>());
    ::unlink((mac.dir() + "/usr/sbin/purge").c_str());
    RunSpec request;
    request.program = "/usr/sbin/purge";
    RunResult r = platform.processes->run(request);
    EXPECT_EQ(r.outcome, RunResult::Outcome::startFailed);
}

}  // namespace
}  // namespace velmora::sim
