#include <functional>

#include "tests/sim/tools/ToolTestSupport.h"

namespace velmora::sim::testing {
namespace {

// Each command the program runs that changes the system, as a standard user
// (refused, machine unchanged) and as an administrator (the change lands).
struct PrivilegedCase {
    std::string tool;
    std::vector<std::string> args;
    int refusedStatus;
    std::string refusal;  // standard error as a standard user
    std::function<bool(const MachineState&)> changed;
    std::string refusalOutput = "";  // standard output as a standard user
};

class PrivilegeTest : public ToolFixture {
protected:
    std::vector<PrivilegedCase> cases() {
        std::string ssd = dir() + "/Volumes/Velmora SSD";
        std::string archive = dir() + "/Volumes/Archive";
        return {
            // pmset refuses on standard output, and exits 1.
            {"pmset", {"-a", "disksleep", "0"}, 1, "", [](const MachineState& s) { return s.pmset.at("disksleep") == "0"; },
             "'pmset' must be run as root...\n"},
            {"pmset", {"-b", "disablesleep", "1"}, 1, "",
             [](const MachineState& s) { return s.pmset.count("disablesleep") && s.pmset.at("disablesleep") == "1"; },
             "'pmset' must be run as root...\n"},
            // sysctl prints the old value before it tries.
            {"sysctl", {"-w", "kern.maxfiles=65536"}, 1, "sysctl: kern.maxfiles=65536: Operation not permitted\n",
             [](const MachineState& s) { return s.sysctl.at("kern.maxfiles") == "65536"; }, "kern.maxfiles: 245760\n"},
            {"mount", {"-u", "-o", "noatime,async", archive}, 1,
             "mount_hfs: /dev/disk5s2 on " + archive + ": Operation not permitted\n",
             [](const MachineState& s) { return s.disks[5].volumes[1].mountOptions == "noatime,async"; }},
            {"mdutil", {"-i", "on", ssd}, 1, "",
             [](const MachineState& s) { return s.disks[4].volumes[1].spotlightIndexing; }},
            {"kextunload", {"-b", "com.apple.iokit.IOUSBHostFamily"}, 77, "You must be running as root to unload kexts.\n",
             [](const MachineState& s) { return !s.loadedKexts.count("com.apple.iokit.IOUSBHostFamily"); }},
            {"kextload", {"-b", "com.apple.iokit.IOUSBFamily"}, 77, "You must be running as root to load kexts.\n",
             [](const MachineState& s) { return s.loadedKexts.count("com.apple.iokit.IOUSBFamily") > 0; }},
            {"diskutil", {"enableOwnership", "/dev/disk4s2"}, 1, "Changing ownership mode requires root\n",
             [](const MachineState& s) { return s.disks[4].volumes[1].ownersEnabled; }},
            {"launchctl", {"kickstart", "-k", "system/com.apple.usbd"}, 1,
             "Could not kickstart service \"com.apple.usbd\": 1: Operation not permitted\n", nullptr},
            {"purge", {}, 1, "Unable to purge disk buffers: Operation not permitted\n", nullptr},
            {"chmod", {"755", "/dev/disk4"}, 1, "chmod: Unable to change file mode on /dev/disk4: Operation not permitted\n",
             nullptr},
        };
    }
};

TEST_F(PrivilegeTest, StandardUserIsRefusedAndNothingChanges) {
    MachineState before = state();
    for (const auto& c : cases()) {
        auto r = run(c.tool, c.args);
        EXPECT_EQ(r.exitStatus, c.refusedStatus) << c.tool << " " << c.args[0];
        if (!c.refusal.empty()) {
            EXPECT_EQ(r.err, c.refusal) << c.tool;
        }
        if (!c.refusalOutput.empty()) {
            EXPECT_EQ(r.out, c.refusalOutput) << c.tool;
        }
        if (c.changed) {
            EXPECT_FALSE(c.changed(state())) << c.tool << " changed the machine";
        }
    }
    EXPECT_EQ(stateToText(state()), stateToText(before));
}

TEST_F(PrivilegeTest, AdministratorChangesTheMachine) {
    change([](MachineState& s) { s.userIsAdmin = true; });
    for (const auto& c : cases()) {
        auto r = run(c.tool, c.args);
        EXPECT_EQ(r.exitStatus, 0) << c.tool << ": " << r.err;
        if (c.changed) {
            EXPECT_TRUE(c.changed(state())) << c.tool;
        }
    }
}

TEST_F(PrivilegeTest, SysctlKnowsOnlyTheMachinesVariables) {
    change([](MachineState& s) { s.userIsAdmin = true; });
    auto arrow = run("sysctl", {"-w", "kern.maxvnodes=100000"});
    EXPECT_EQ(arrow.out, "kern.maxvnodes: 263168 -> 100000\n");
    for (std::string oid : {"hw.usb.power_save", "kern.usb.bulk_timeout", "hw.usb3.u1_timeout"}) {
        auto r = run("sysctl", {"-w", oid + "=0"});
        EXPECT_EQ(r.exitStatus, 1);
        EXPECT_EQ(r.err, "sysctl: unknown oid '" + oid + "'\n");
    }
    EXPECT_EQ(run("sysctl", {"kern.maxfiles"}).out, "kern.maxfiles: 245760\n");
    EXPECT_EQ(run("sysctl", {"-n", "kern.maxfiles"}).out, "245760\n");
}

TEST_F(PrivilegeTest, MountWithoutUpdateLooksInFstabAndFailsForAnyone) {
    change([](MachineState& s) { s.userIsAdmin = true; });
    std::string mp = dir() + "/Volumes/Velmora SSD";
    auto r = run("mount", {"-o", "remount,noatime", mp});
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_EQ(r.err, "mount: " + mp + ": unknown special file or file system.\n");
    change([&](MachineState& s) { s.disks[4].volumes[1].mountOptions = "noatime"; });
    EXPECT_NE(run("mount", {}).out.find("/dev/disk4s2 on " + mp + " (exfat, local, nodev, nosuid, noowners, noatime)\n"),
              std::string::npos);
}

TEST_F(PrivilegeTest, PmsetReadsWorkForEveryone) {
    change([](MachineState& s) {
        Assertion a;
        a.id = 0x1234;
        a.type = "PreventUserIdleSystemSleep";
        a.name = "Velmora RTL9210B Protection";
        a.pid = 640;
        a.created = Machine::now() - 10;
        s.assertions.push_back(a);
    });
    auto r = run("pmset", {"-g", "assertions"});
    EXPECT_EQ(r.exitStatus, 0);
    EXPECT_NE(r.out.find("   PreventUserIdleSystemSleep     1\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("   pid 640(Safari): [0x0000028000001234] 00:00:1"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(" PreventUserIdleSystemSleep named: \"Velmora RTL9210B Protection\"\n"), std::string::npos);
    EXPECT_NE(run("pmset", {"-g"}).out.find(" disksleep            10\n"), std::string::npos);
}

TEST_F(PrivilegeTest, RefusalEchoesTheProgramPathOfAnAbsoluteStart) {
    auto r = runLinked("usr/bin/pmset", {"-b", "disablesleep", "1"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.output, "'/usr/bin/pmset' must be run as root...\n");
}

TEST_F(PrivilegeTest, PmsetRejectsUnknownSettingsForEveryone) {
    for (bool admin : {false, true}) {
        change([admin](MachineState& s) { s.userIsAdmin = admin; });
        auto r = run("pmset", {"-a", "usbsleep", "0"});
        EXPECT_EQ(r.exitStatus, 1);
        EXPECT_EQ(r.out.rfind("Usage: pmset", 0), 0u) << r.out;
        EXPECT_EQ(state().pmset.count("usbsleep"), 0u);
    }
}

}  // namespace
}  // namespace velmora::sim::testing
