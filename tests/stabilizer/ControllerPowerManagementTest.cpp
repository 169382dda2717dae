#include <gtest/gtest.h>

#include "stabilizer/ControllerPowerManagement.h"
#include "StabilizerHarness.h"

namespace velmora::testing {
namespace {

const std::string kTree =
    "\"RTL9210B-CG NVMe\" \"USB Product Name\"\t\"idVendor\" = 3034\t\"idProduct\" = 37312\t"
    "{\"CurrentPowerState\"=2}\n"
    "\"ASMedia bridge\" USB Product Name\t\"idVendor\" = 6041\n"
    "\"SanDisk\" USB Product Name\n";

std::string realtekSetup(const std::string& quotedName) {
    return "# RTL9210B kontrollör için gelişmiş güç yönetimi\n"
           "\n"
           "# 1. USB timeout değerlerini artır\n"
           "sysctl -w kern.usb.bulk_timeout=30000 2>/dev/null || true\n"
           "sysctl -w kern.usb.control_timeout=10000 2>/dev/null || true\n"
           "\n"
           "# 2. RTL9210B özel power saving devre dışı\n"
           "pmset -a usbsleep 0\n"
           "pmset -a disksleep 0\n"
           "pmset -a autopoweroff 0\n"
           "\n"
           "# 3. USB 3.0 link power management devre dışı\n"
           "pmset -a tcpkeepalive 1\n"
           "pmset -a powernap 0\n"
           "\n"
           "# 4. RTL9210B enum failure prevention\n"
           "ioreg -p IOUSB -n " +
           quotedName +
           " -r -l | grep -E \"(Power|Current|USB|Speed)\" > /dev/null 2>&1 || true\n"
           "\n"
           "# 5. Active polling için background process\n"
           "(while true; do \n"
           "    ioreg -p IOUSB -c IOUSBHostDevice | grep -A 5 \"RTL9210\" > /dev/null 2>&1\n"
           "    sleep 30\n"
           "done) &\n"
           "\n"
           "# 6. USB bus reset prevention\n"
           "system_profiler SPUSBDataType | grep -A 10 \"RTL9210\" > /dev/null 2>&1 &";
}

std::string realtekKeepAlive(const std::string& quotedName) {
    return "# Realtek RTL9210B gelişmiş güç tasarrufu önleme\n"
           "\n"
           "# 1. USB cihazın güç durumunu sürekli kontrol et\n"
           "ioreg -p IOUSB -n " +
           quotedName +
           " -r -l | grep -E \"(bConfigurationValue|bMaxPower|kUSBDevicePropertyCurrentConfiguration)\" > /dev/null "
           "2>&1 || true\n"
           "\n"
           "# 2. USB endpoint'lerin aktif kalmasını sağla\n"
           "ioreg -p IOUSB -l | grep -A 20 \"RTL9210\" | grep -E \"(endpoint|stream|bulk)\" > /dev/null 2>&1 || true\n"
           "\n"
           "# 3. USB 3.0 U1/U2 power states devre dışı\n"
           "sysctl -w hw.usb3.u1_timeout=0 2>/dev/null || true\n"
           "sysctl -w hw.usb3.u2_timeout=0 2>/dev/null || true\n"
           "\n"
           "# 4. RTL9210B firmware stability check\n"
           "if ioreg -p IOUSB -l | grep -q \"RTL9210.*timeout\"; then\n"
           "    echo \"⚠️ RTL9210B timeout detected, applying emergency recovery\"\n"
           "    kextunload -b com.apple.iokit.IOUSBMassStorageClass 2>/dev/null || true\n"
           "    sleep 2\n"
           "    kextload -b com.apple.iokit.IOUSBMassStorageClass 2>/dev/null || true\n"
           "fi\n"
           "\n"
           "# 5. Active keep-alive signal\n"
           "diskutil list | grep -E \"(external|RTL9210)\" > /dev/null 2>&1 || true";
}

TEST(ControllerDetection, RunsTheTreeCommandOnTheQueue) {
    StabilizerHarness h;
    std::vector<std::string> contexts;
    h.tp.processes->on(
        [](const RunSpec& request) { return request.arguments.size() == 2 && request.arguments[1].find("USB Product Name") != std::string::npos; },
        [&](const RunSpec&) {
            contexts.push_back(h.tp.scheduler->currentContext());
            return ScriptedProcessLauncher::exited(0, "");
        });
    h.start();
    EXPECT_TRUE(contexts.empty());  // queued, not run during start
    h.tp.scheduler->runUntilIdle();
    EXPECT_EQ(contexts, std::vector<std::string>{"usb.auto.stabilizer"});
    EXPECT_EQ(h.scriptsContaining("USB Product Name"),
              std::vector<std::string>{ControllerPowerManagement::deviceTreeCommand});
    EXPECT_EQ(h.stabilizer->lastStabilizationAction.get(), "✅ All USB controllers stable");
    EXPECT_FALSE(h.stabilizer->powerManagementActive.get());
    h.tp.scheduler->advance(240.0);
    EXPECT_EQ(h.scriptsWith("caffeinate"), 0u);  // no keep-alive timer without problem controllers
}

TEST(ControllerDetection, FirstDetectionIsFollowedByAdvancedPowerManagement) {
    StabilizerHarness h;
    h.tp.processes->onScriptContaining("USB Product Name", ScriptedProcessLauncher::exited(0, kTree));
    std::vector<std::string> actions;
    std::vector<std::string> scriptContexts;
    h.tp.processes->on(
        [](const RunSpec& request) { return request.arguments.size() == 2 && request.arguments[1].find("enum failure prevention") != std::string::npos; },
        [&](const RunSpec&) {
            scriptContexts.push_back(h.tp.scheduler->currentContext());
            return ScriptedProcessLauncher::exited(0);
        });
    h.start();
    h.stabilizer->lastStabilizationAction.observe([&](const std::string& a) { actions.push_back(a); });
    h.tp.scheduler->runUntilIdle();

    auto controllers = h.stabilizer->usbControllerInfo.get();
    ASSERT_EQ(controllers.size(), 3u);
    EXPECT_EQ(controllers[0].controllerType, "RTL9210B-CG");
    EXPECT_EQ(controllers[0].powerState, 2);
    EXPECT_EQ(controllers[1].controllerType, "ASM1153E");
    EXPECT_FALSE(controllers[2].hasKnownIssues);
    EXPECT_TRUE(h.logged("🎯 Detected problematic controller: RTL9210B-CG NVMe (RTL9210B-CG)"));
    EXPECT_TRUE(h.logged("⚠️ Detected 2 problematic USB controllers"));
    EXPECT_TRUE(h.logged("🔋 Starting advanced power management for 2 controllers"));
    EXPECT_TRUE(h.logged("🎯 Power management for RTL9210B-CG NVMe: Realtek RTL9210B-CG"));
    EXPECT_TRUE(h.logged("🔋 RTL9210B Advanced Power Management for RTL9210B-CG NVMe"));
    EXPECT_TRUE(h.logged("🔋 ASMedia Power Management for ASMedia bridge"));
    EXPECT_EQ(scriptContexts, std::vector<std::string>{"usb.auto.stabilizer"});
    EXPECT_EQ(h.scriptsContaining("enum failure prevention"), std::vector<std::string>{realtekSetup("'RTL9210B-CG NVMe'")});
    EXPECT_EQ(h.scriptsContaining("ASMedia kontrollör"),
              std::vector<std::string>{"# ASMedia kontrollör optimizasyonu\nsysctl -w hw.usb.power_save=0 2>/dev/null || true"});
    EXPECT_EQ(actions, (std::vector<std::string>{"✅ System in automatic protection mode",
                                                 "🔍 2 problematic USB controllers detected",
                                                 "🔋 Advanced power management active"}));
    EXPECT_EQ(h.stabilizer->currentStabilityLevel.get(), StabilityLevel::powerManagement);
    EXPECT_TRUE(h.stabilizer->powerManagementActive.get());

    // The keep-alive pass every 120 s, on the queue, over the published list.
    h.tp.processes->clearRecord();
    h.tp.scheduler->advance(120.0);
    auto scripts = h.tp.processes->scripts();
    std::vector<std::string> keepAlive;
    for (const auto& s : scripts) {
        if (s.find("caffeinate") != std::string::npos || s == "diskutil list > /dev/null 2>&1" ||
            s.find("gelişmiş güç tasarrufu") != std::string::npos || s.find("grep -A 5 ASMedia") != std::string::npos)
            keepAlive.push_back(s);
    }
    EXPECT_EQ(keepAlive, (std::vector<std::string>{"caffeinate -u -t 1", "diskutil list > /dev/null 2>&1",
                                                   realtekKeepAlive("'RTL9210B-CG NVMe'"), "caffeinate -u -t 1",
                                                   "diskutil list > /dev/null 2>&1",
                                                   "ioreg -l -p IOUSB | grep -A 5 ASMedia > /dev/null"}));
    EXPECT_EQ(actions.end()[-2], "✅ Power management active");  // the 30-second cycle's text follows
    // No new detection is made.
    EXPECT_EQ(h.scriptsWith("USB Product Name"), 0u);
}

TEST(ControllerDetection, StopEndsTheKeepAliveAndRestartReusesTheKnownList) {
    StabilizerHarness h;
    h.tp.processes->onScriptContaining("USB Product Name", ScriptedProcessLauncher::exited(0, "\"JMicron JMS567\" USB Product Name\n"));
    h.start();
    h.tp.scheduler->runUntilIdle();
    EXPECT_EQ(h.scriptsContaining("JMicron kontrollör"),
              std::vector<std::string>{"# JMicron kontrollör için power management\npmset -a usbsleep 0"});
    h.stabilizer->stopAutomaticStabilization();
    h.tp.processes->clearRecord();
    h.tp.scheduler->advance(240.0);
    EXPECT_EQ(h.scriptsWith("caffeinate"), 0u);
    EXPECT_EQ(h.stabilizer->usbControllerInfo.get().size(), 1u);  // kept across a stop

    // The list is known now: power management follows the start, and the
    // second detection does not repeat it.
    h.stabilizer->startAutomaticStabilization();
    h.tp.scheduler->runUntilIdle();
    EXPECT_EQ(h.scriptsWith("JMicron kontrollör"), 1u);
    h.tp.scheduler->advance(120.0);
    EXPECT_EQ(h.scriptsContaining("jmicron"),
              std::vector<std::string>{"system_profiler SPUSBDataType | grep -i jmicron > /dev/null"});
}

TEST(ControllerDetection, EmptyOrRefusedTreeMeansAllStable) {
    StabilizerHarness h;
    h.tp.processes->onScriptContaining("USB Product Name", ScriptedProcessLauncher::startFailure("no sh"));
    h.start();
    h.tp.scheduler->runUntilIdle();
    EXPECT_TRUE(h.stabilizer->usbControllerInfo.get().empty());
    EXPECT_EQ(h.stabilizer->lastStabilizationAction.get(), "✅ All USB controllers stable");
    EXPECT_TRUE(h.tp.diagnostics->containsSubstring("⚠️ Non-critical operation failed: "));
}

}  // namespace
}  // namespace velmora::testing
