#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <set>

#include "SimTestSupport.h"
#include "sim/state/ScenarioLibrary.h"

namespace velmora::sim {
namespace {

const Disk* diskNamed(const MachineState& s, const std::string& id) {
    for (const auto& d : s.disks) {
        if (d.identifier == id) return &d;
    }
    return nullptr;
}

TEST(Scenarios, ShippedScenariosAllLoad) {
    ScenarioLibrary library;
    auto names = library.names();
    EXPECT_NE(std::find(names.begin(), names.end(), "default"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "empty"), names.end());
    for (const auto& name : names) {
        EXPECT_NO_THROW(library.load(name, "/m", 1000000)) << name;
    }
}

TEST(Scenarios, DefaultIsAnAppleSiliconMacWithTwoUsbDisks) {
    MachineState s = ScenarioLibrary().load("default", "/machines/a", 1'700'000'000);
    const Disk* internal = diskNamed(s, "disk0");
    ASSERT_NE(internal, nullptr);
    EXPECT_TRUE(internal->internal);
    EXPECT_EQ(internal->virtualOrPhysical, "Unknown");
    EXPECT_EQ(internal->protocol, "Apple Fabric");

    // The system volumes report the real root paths, not machine folders.
    std::set<std::string> mountPoints;
    for (const auto& d : s.disks) {
        for (const auto& v : d.volumes) {
            if (v.mountPoint) mountPoints.insert(*v.mountPoint);
        }
    }
    EXPECT_TRUE(mountPoints.count("/"));
    EXPECT_TRUE(mountPoints.count("/System/Volumes/Data"));
    EXPECT_TRUE(mountPoints.count("/machines/a/Volumes/Velmora SSD"));
    EXPECT_TRUE(mountPoints.count("/machines/a/Volumes/Archive"));

    const Disk* ssd = diskNamed(s, "disk4");
    ASSERT_NE(ssd, nullptr);
    EXPECT_EQ(ssd->protocol, "USB");
    EXPECT_FALSE(ssd->internal);
    bool realtekBehindSsd = false;
    for (const auto& u : s.usbDevices) {
        if (u.key == ssd->usbDevice) realtekBehindSsd = u.productName == "RTL9210B-CG" && u.vendorId == 0x0bda;
    }
    EXPECT_TRUE(realtekBehindSsd);
    EXPECT_FALSE(s.userIsAdmin);
    EXPECT_GE(s.nextDiskNumber, 6);  // new disks never reuse a scenario's identifier
}

TEST(Scenarios, RelativeTimesCountBackFromNow) {
    MachineState s = ScenarioLibrary().load("default", "/m", 1'700'000'000);
    ASSERT_FALSE(s.log.empty());
    for (const auto& e : s.log) {
        EXPECT_GT(e.time, 1'699'990'000);
        EXPECT_LE(e.time, 1'700'000'000);
    }
    for (std::size_t i = 1; i < s.log.size(); ++i) EXPECT_LE(s.log[i - 1].time, s.log[i].time);
    for (const auto& p : s.processes) {
        if (p.launchTime) {
            EXPECT_LE(*p.launchTime, 1'700'000'000);
        }
    }
}

TEST(Scenarios, EmptyHasNoUsbAndAUnknownNameIsAnError) {
    MachineState s = ScenarioLibrary().load("empty", "/m", 0);
    EXPECT_TRUE(s.usbDevices.empty());
    for (const auto& d : s.disks) EXPECT_TRUE(d.internal) << d.identifier;
    EXPECT_THROW(ScenarioLibrary().load("no-such-scenario", "/m", 0), MachineError);
    EXPECT_THROW(ScenarioLibrary().load("../default", "/m", 0), MachineError);
}

TEST(Scenarios, MachineFolderGetsMountFoldersAndToolLinks) {
    testing::ScratchMachine mac;
    struct stat info {};
    EXPECT_EQ(::stat((mac.dir() + "/Volumes/Velmora SSD").c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    for (const char* tool : {"/usr/sbin/diskutil", "/usr/sbin/sysctl", "/bin/sh", "/bin/zsh",
                             "/sbin/mount", "/usr/bin/log", "/bin/date",
                             "/System/Library/Frameworks/CoreServices.framework/Frameworks/LaunchServices.framework/"
                             "Support/lsregister"}) {
        EXPECT_EQ(::lstat((mac.dir() + tool).c_str(), &info), 0) << tool;
        EXPECT_TRUE(S_ISLNK(info.st_mode)) << tool;
    }
    EXPECT_NE(::lstat((mac.dir() + "/usr/bin/sysctl").c_str(), &info), 0) << "sysctl lives in /usr/sbin only";
    EXPECT_EQ(::lstat((mac.dir() + "/.velmora-sim/host-bin/grep").c_str(), &info), 0);
    // Nothing that changes the host is among the host utilities.
    for (const char* forbidden : {"mount", "umount", "sysctl", "chmod", "kill", "killall", "rm", "sudo", "sh"}) {
        EXPECT_NE(::lstat((mac.dir() + "/.velmora-sim/host-bin/" + forbidden).c_str(), &info), 0) << forbidden;
    }
}

}  // namespace
}  // namespace velmora::sim
