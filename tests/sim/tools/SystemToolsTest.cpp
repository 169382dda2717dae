#include <sys/stat.h>

#include <fstream>

#include "tests/sim/tools/ToolTestSupport.h"

namespace velmora::sim::testing {
namespace {

class SystemToolsTest : public ToolFixture {
protected:
    static std::vector<std::string> fields(const std::string& line) {
        std::vector<std::string> parts;
        std::string current;
        for (char c : line + " ") {
            if (c == ' ' || c == '\t') {
                if (!current.empty()) parts.push_back(current);
                current.clear();
            } else {
                current += c;
            }
        }
        return parts;
    }
};

TEST_F(SystemToolsTest, TopMeasuresFromTheSecondSampleOnAndListsTheBusiestFirst) {
    change([](MachineState& s) {
        ProcessEntry p;
        p.pid = 4242;
        p.name = "Adobe Premiere Pro 2025";
        p.cpu = 87.5;
        p.memoryMB = 4000;
        s.processes.push_back(p);
        p.pid = 4243;
        p.name = "BlenderÇizimArç";  // 17 bytes: the 16th is half of the ç
        p.cpu = 80.0;
        s.processes.push_back(p);
    });
    auto l = lines(run("top", {"-l", "2", "-s", "1", "-o", "cpu", "-n", "3"}).out);
    ASSERT_EQ(l.size(), 30u);
    EXPECT_EQ(l[28].substr(0, 29), "4243   BlenderÇizimAr\xC3 80.0 ") << "COMMAND is cut at 16 bytes, not letters";
    EXPECT_EQ(slept_, (std::vector<double>{1.0})) << "the second sample waits the -s interval";
    for (std::size_t first = 0; first < 30; first += 15) {
        EXPECT_EQ(l[first].rfind("Processes: ", 0), 0u);
        EXPECT_EQ(l[first + 11].substr(0, 30), "PID    COMMAND          %CPU T");
    }
    for (std::size_t i = 12; i < 15; ++i) EXPECT_EQ(l[i].substr(24, 5), "0.0  ") << "nothing measured yet: " << l[i];
    EXPECT_EQ(l[27].substr(0, 29), "4242   Adobe Premiere P 87.5 ") << "COMMAND is cut to 16 bytes";
    double previous = 1000;
    for (std::size_t i = 27; i < 30; ++i) {
        // By column: a command name with spaces shifts whitespace-split fields.
        double cpu = std::stod(l[i].substr(24, 5));
        EXPECT_LE(cpu, previous);
        previous = cpu;
    }
    EXPECT_EQ(run("top", {"-l", "1", "-o", "bogus"}).exitStatus, 1);
}

// Apple's iostat (system_cmds iostat.tproj/iostat.c): whole disks with a
// block-storage driver in strcmp order, at most 4 with -d and 3 without; a
// named drive is shown whatever its place, an unknown one fails the run.
TEST_F(SystemToolsTest, IostatShowsTheDisksARealOneShowsInItsOrder) {
    auto l = lines(run("iostat", {"-d", "1", "1"}).out);
    ASSERT_EQ(l.size(), 3u);
    EXPECT_EQ(l[0], "              disk0               disk4               disk5");
    EXPECT_EQ(l[1], "    KB/t  tps  MB/s     KB/t  tps  MB/s     KB/t  tps  MB/s");
    EXPECT_EQ(fields(l[2]).size(), 9u);
    EXPECT_TRUE(slept_.empty()) << "one report needs no wait";
    auto two = lines(run("iostat", {"-c", "2", "-w", "1"}).out);
    EXPECT_EQ(two.size(), 4u);
    EXPECT_EQ(slept_, (std::vector<double>{1.0}));
    EXPECT_NE(two[0].find("cpu     load average"), std::string::npos);

    change([](MachineState& s) {
        for (const char* id : {"disk10", "disk6", "disk7"}) {
            Disk extra = s.disks.back();
            extra.identifier = id;
            extra.volumes.clear();
            s.disks.push_back(extra);
        }
    });
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::vector<std::string> shown;
    };
    const std::vector<Case> cases = {
        {{"-d", "-c", "1"}, 0, {"disk0", "disk10", "disk4", "disk5"}},
        {{"-c", "1"}, 0, {"disk0", "disk10", "disk4"}},
        {{"-d", "-n", "2", "-c", "1"}, 0, {"disk0", "disk10"}},
        {{"-d", "-c", "1", "disk7"}, 0, {"disk7"}},
        {{"-d", "-c", "1", "disk9"}, 1, {}},  // no such disk
        {{"-d", "-c", "1", "disk3"}, 1, {}},  // an APFS container has no statistics
    };
    for (const auto& c : cases) {
        const auto result = run("iostat", c.arguments);
        EXPECT_EQ(result.exitStatus, c.status) << c.arguments.back();
        const auto out = lines(result.out);
        std::vector<std::string> shown;
        for (const auto& name : out.empty() ? std::vector<std::string>{} : fields(out[0])) {
            if (name.rfind("disk", 0) == 0) shown.push_back(name);
        }
        EXPECT_EQ(shown, c.shown) << c.arguments.back();
    }
}

TEST_F(SystemToolsTest, DfNamesTheDeviceOfAPath) {
    std::string bundle = dir() + "/Volumes/Velmora SSD/Tool.app";
    ASSERT_EQ(::mkdir(bundle.c_str(), 0755), 0);
    struct Case {
        std::string path;
        int status;
        std::string device;
    };
    const std::vector<Case> cases = {
        {bundle, 0, "/dev/disk4s2"},
        {"/Applications/Safari.app", 0, "/dev/disk3s1s1"},
        {"/System/Volumes/Data/Users/someone", 0, "/dev/disk3s5"},
        {"/Users/someone/Library/Application Support", 0, "/dev/disk3s5"},  // the home lies on the data volume
        {"/tmp", 0, "/dev/disk3s5"},
        {dir() + "/Volumes/Velmora SSD/Missing.app", 1, ""},
        {"/Volumes/Velmora SSD/Tool.app", 1, ""},  // the Mac path of a volume the machine keeps elsewhere
        {"640 /Applications/Safari.app/Contents/MacOS/Safari", 1, ""},
    };
    for (const auto& c : cases) {
        auto r = run("df", {c.path});
        EXPECT_EQ(r.exitStatus, c.status) << c.path;
        auto l = lines(r.out);
        if (c.status == 0) {
            ASSERT_EQ(l.size(), 2u) << c.path;
            auto f = fields(l[1]);
            EXPECT_GE(f.size(), 6u);
            EXPECT_EQ(f[0], c.device) << c.path;
            EXPECT_EQ(l[0].rfind("Filesystem", 0), 0u);
        } else {
            EXPECT_EQ(r.err, "df: " + c.path + ": No such file or directory\n");
        }
    }
}

TEST_F(SystemToolsTest, DfFindsNothingOnAnUnpluggedVolumeWhoseFolderRemains) {
    const std::string bundle = dir() + "/Volumes/Velmora SSD/Tool.app";
    ASSERT_EQ(::mkdir(bundle.c_str(), 0755), 0);
    ASSERT_EQ(run("df", {bundle}).exitStatus, 0);
    change([](MachineState& s) {
        for (auto& d : s.disks)
            for (auto& v : d.volumes)
                if (v.identifier == "disk4s2") v.mountPoint.reset();
    });
    auto gone = run("df", {bundle});
    EXPECT_EQ(gone.exitStatus, 1);
    EXPECT_EQ(gone.out, "");
    EXPECT_EQ(gone.err, "df: " + bundle + ": No such file or directory\n");
}

TEST_F(SystemToolsTest, LsregisterRecordsRegistrationsAndRebuilds) {
    const std::string bundle = dir() + "/Volumes/Velmora SSD/Tool.app";
    ASSERT_EQ(::mkdir(bundle.c_str(), 0755), 0);
    EXPECT_EQ(run("lsregister", {"-r", "-domain", "local", "-domain", "system", "-domain", "user"}).exitStatus, 0);
    EXPECT_EQ(run("lsregister", {"-f", bundle}).exitStatus, 0);
    auto missing = run("lsregister", {"-f", dir() + "/Volumes/Velmora SSD/Gone.app"});
    EXPECT_EQ(missing.exitStatus, 1);
    EXPECT_NE(missing.err.find("Gone.app: No such file or directory"), std::string::npos);
    const auto events = state().launchServices;
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].kind, "rebuild");
    EXPECT_EQ(events[0].detail, "local,system,user");
    EXPECT_EQ(events[1].kind, "register");
    EXPECT_EQ(events[1].detail, bundle);
}

TEST_F(SystemToolsTest, PsPrintsPidAndExecutablePath) {
    auto r = run("ps", {"-o", "pid,comm", "-p", "640"});
    EXPECT_EQ(r.exitStatus, 0);
    EXPECT_EQ(r.out, "  PID COMM\n  640 /Applications/Safari.app/Contents/MacOS/Safari\n");
    auto missing = run("ps", {"-o", "pid,comm", "-p", "77777"});
    EXPECT_EQ(missing.exitStatus, 1);
    EXPECT_EQ(missing.out, "  PID COMM\n");
    EXPECT_EQ(run("ps", {"-o", "pid,comm", "-p", "x"}).exitStatus, 1);
}

TEST_F(SystemToolsTest, KillallEndsProcessesAndRelaunchesFinder) {
    int oldPid = 0;
    for (const auto& p : state().processes) {
        if (p.name == "Finder") oldPid = p.pid;
    }
    auto finder = run("killall", {"Finder"});
    EXPECT_EQ(finder.exitStatus, 0);
    int newPid = 0;
    for (const auto& p : state().processes) {
        if (p.name == "Finder") newPid = p.pid;
    }
    EXPECT_NE(newPid, 0);
    EXPECT_NE(newPid, oldPid);

    EXPECT_EQ(run("killall", {"Music"}).exitStatus, 0);
    for (const auto& p : state().processes) EXPECT_NE(p.name, "Music");
    auto none = run("killall", {"Music"});
    EXPECT_EQ(none.exitStatus, 1);
    EXPECT_EQ(none.err, "No matching processes belonging to you were found\n");
}

TEST_F(SystemToolsTest, XattrRemovesTheQuarantineOnce) {
    std::string mp = dir() + "/Volumes/Velmora SSD";
    change([](MachineState& s) { s.disks[4].volumes[1].quarantined = true; });
    EXPECT_EQ(run("xattr", {mp}).out, "com.apple.quarantine\n");
    EXPECT_EQ(run("xattr", {"-d", "com.apple.quarantine", mp}).exitStatus, 0);
    EXPECT_FALSE(state().disks[4].volumes[1].quarantined);
    auto again = run("xattr", {"-d", "com.apple.quarantine", mp});
    EXPECT_EQ(again.exitStatus, 1);
    EXPECT_EQ(again.err, "xattr: " + mp + ": No such xattr: com.apple.quarantine\n");
    EXPECT_EQ(run("xattr", {"-d", "com.apple.quarantine", dir() + "/nowhere"}).err,
              "xattr: No such file: " + dir() + "/nowhere\n");
}

TEST_F(SystemToolsTest, ChmodNeverTouchesFilesOutsideTheMachine) {
    std::string outside = scratch() + "/outside";
    std::ofstream(outside) << "x";
    std::string inside = dir() + "/Volumes/Velmora SSD/file";
    std::ofstream(inside) << "x";
    ::chmod(inside.c_str(), 0600);
    ::chmod(outside.c_str(), 0600);
    EXPECT_EQ(run("chmod", {"755", inside}).exitStatus, 0);
    EXPECT_EQ(run("chmod", {"755", outside}).exitStatus, 1);
    EXPECT_EQ(run("chmod", {"755", dir() + "/.."}).exitStatus, 1);
    struct stat info {};
    ::stat(inside.c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0755u);
    ::stat(outside.c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(run("chmod", {"755", "/dev/disk99"}).err, "chmod: /dev/disk99: No such file or directory\n");
}

TEST_F(SystemToolsTest, SpotlightStatusAndChanges) {
    std::string ssd = dir() + "/Volumes/Velmora SSD";
    EXPECT_EQ(run("mdutil", {"-s", ssd}).out, ssd + ":\n\tIndexing disabled.\n");
    change([](MachineState& s) { s.userIsAdmin = true; });
    EXPECT_EQ(run("mdutil", {"-i", "on", ssd}).out, ssd + ":\n\tIndexing enabled. \n");
    EXPECT_EQ(run("mdutil", {"-s", ssd}).out, ssd + ":\n\tIndexing enabled. \n");
    EXPECT_EQ(run("mdutil", {"-E", ssd}).exitStatus, 0);
    auto gone = run("mdutil", {"-s", dir() + "/Volumes/Gone"});
    EXPECT_EQ(gone.exitStatus, 1);
    auto usage = run("mdutil", {"-q", ssd});
    EXPECT_EQ(usage.exitStatus, 1);
    EXPECT_EQ(usage.err.rfind("Usage: mdutil -pEsa -i (on|off) -d volume ...\n", 0), 0u);
}

TEST_F(SystemToolsTest, UserDomainKickstartAndUmount) {
    EXPECT_EQ(run("launchctl", {"kickstart", "-k", "gui/501/com.example.agent"}).exitStatus, 0);
    EXPECT_EQ(run("launchctl", {"kickstart"}).exitStatus, 64);
    EXPECT_EQ(run("launchctl", {"frobnicate"}).exitStatus, 64);
    std::string archive = dir() + "/Volumes/Archive";
    EXPECT_EQ(run("umount", {archive}).exitStatus, 0);
    EXPECT_FALSE(state().disks[5].volumes[1].mountPoint.has_value());
    EXPECT_EQ(run("umount", {archive}).err, "umount: " + archive + ": not currently mounted\n");
    EXPECT_EQ(run("umount", {"/"}).exitStatus, 1);
}

TEST_F(SystemToolsTest, SmallToolsAnswerLikeTheirOriginals) {
    auto bad = run("lsregister", {"-domain", "galaxy"});
    EXPECT_EQ(bad.exitStatus, 255);
    EXPECT_EQ(bad.err.rfind("lsregister: [OPTIONS] [ <path>... ]\n", 0), 0u);

    EXPECT_EQ(run("caffeinate", {"-u", "-t", "1"}).exitStatus, 0);
    EXPECT_EQ(run("caffeinate", {"-t", "600"}).exitStatus, 0);
    EXPECT_EQ(slept_, (std::vector<double>{1.0, 1.0})) << "never longer than a second";
    EXPECT_EQ(run("sleep", {"2.5"}).exitStatus, 0);
    EXPECT_EQ(slept_.back(), 2.5);
    for (const std::vector<std::string>& bad : {std::vector<std::string>{}, {"x"}, {"-1"}, {"1", "2"}, {"nan"}})
        EXPECT_EQ(run("sleep", bad).err, "usage: sleep seconds\n");

    auto pressure = run("memory_pressure", {"-s", "2"});
    EXPECT_EQ(pressure.exitStatus, 0);
    EXPECT_NE(pressure.out.find("System-wide memory free percentage: "), std::string::npos);
    auto levelless = run("memory_pressure", {"-S", "-s", "2"});
    EXPECT_EQ(levelless.exitStatus, 0);
    EXPECT_EQ(levelless.out, "Expected level with -l along with \"simulated\" mode.\n") << "simulation needs -l";
    EXPECT_EQ(run("sync", {}).exitStatus, 0);

    auto loaded = lines(run("kextstat", {"-b", "com.apple.iokit.IOUSBHostFamily"}).out);
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_EQ(loaded[0], "Index Refs Address            Size       Wired      Name (Version) UUID <Linked Against>");
    EXPECT_EQ(fields(loaded[1])[5], "com.apple.iokit.IOUSBHostFamily");
    EXPECT_EQ(lines(run("kextstat", {"-b", "com.apple.iokit.IOUSBMassStorageClass"}).out).size(), 1u)
        << "a kext that is not loaded leaves the header alone";
}

}  // namespace
}  // namespace velmora::sim::testing
