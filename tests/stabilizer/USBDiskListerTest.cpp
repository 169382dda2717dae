#include "stabilizer/USBDiskLister.h"

#include <gtest/gtest.h>

#include "support/DiskPlists.h"
#include "support/TestPlatform.h"

namespace velmora::testing {
namespace {

struct ListerFixture {
    TestPlatform tp;
    USBDiskLister lister{tp.processes, tp.diagnostics};

    void answerInfo(const std::string& id, const std::string& plist) {
        tp.processes->onCommand("/usr/sbin/diskutil", {"info", "-plist", id}, ScriptedProcessLauncher::exited(0, plist));
    }
};

TEST(USBDiskLister, OnlyExternalNonImageDisksPass) {
    auto base = [] { return DiskPlistFields::usbDisk("disk4", "VOL", std::string("/Volumes/VOL")); };
    struct Case {
        const char* what;
        DiskPlistFields fields;
        bool passes;
    };
    std::vector<Case> cases;
    cases.push_back({"external USB disk", base(), true});
    {
        auto f = base();
        f.internal = true;
        cases.push_back({"internal", f, false});
    }
    {
        auto f = base();
        f.internal.reset();
        cases.push_back({"no Internal key", f, false});
    }
    {
        auto f = base();
        f.mediaName = "Apple Disk Image Media";
        cases.push_back({"image by name", f, false});
    }
    {
        auto f = base();
        f.protocol = "Disk Image";
        cases.push_back({"image by protocol", f, false});
    }
    {
        auto f = base();
        f.busProtocol = "DISK IMAGE";
        cases.push_back({"image by bus protocol", f, false});
    }
    {
        auto f = base();
        f.protocol = "USB";
        f.busProtocol = "USB";
        cases.push_back({"plain USB protocols", f, true});
    }
    for (const auto& c : cases) {
        ListerFixture fx;
        fx.answerInfo("disk4", diskInfoPlist(c.fields));
        EXPECT_EQ(fx.lister.getUSBDiskInfo("disk4").has_value(), c.passes) << c.what;
    }
}

TEST(USBDiskLister, InternalMustBeABooleanFalse) {
    ListerFixture fx;
    fx.answerInfo("disk4", plistDocument("<dict><key>DeviceIdentifier</key><string>disk4</string>"
                                         "<key>Internal</key><string>false</string></dict>\n"));
    EXPECT_FALSE(fx.lister.getUSBDiskInfo("disk4").has_value());
    EXPECT_TRUE(fx.tp.diagnostics->lines().empty());
    // Not a description at all: skipped with the failure line.
    fx.answerInfo("disk5", plistDocument("<array><false/></array>\n"));
    EXPECT_FALSE(fx.lister.getUSBDiskInfo("disk5").has_value());
    EXPECT_TRUE(fx.tp.diagnostics->contains("❌ USB disk bilgisi alınamadı: diskutil described no disk for disk5"));
}

TEST(USBDiskLister, FieldsFallBackWhenMissingOrMistyped) {
    ListerFixture fx;
    fx.answerInfo("disk6", plistDocument("<dict><key>DeviceIdentifier</key><string>disk6</string><key>Internal</key><false/><key>MediaName</key><integer>3</integer>"
                                         "<key>TotalSize</key><string>big</string><key>MountPoint</key><true/></dict>\n"));
    auto disk = fx.lister.getUSBDiskInfo("disk6");
    ASSERT_TRUE(disk.has_value());
    EXPECT_EQ(*disk, (USBDiskInfo{"disk6", "disk6", "/dev/disk6", std::nullopt, 0}));

    auto full = DiskPlistFields::usbDisk("disk4", "VOL", std::string("/Volumes/A B"));
    full.mediaName = "Samsung T7";
    full.totalSize = 1000204886016;
    fx.answerInfo("disk4", diskInfoPlist(full));
    EXPECT_EQ(fx.lister.getUSBDiskInfo("disk4"),
              (USBDiskInfo{"disk4", "Samsung T7", "/dev/disk4", std::string("/Volumes/A B"), 1000204886016}));
}

TEST(USBDiskLister, ListingKeepsOrderAndLeavesOutFailures) {
    ListerFixture fx;
    fx.tp.processes->onCommand("/usr/sbin/diskutil", {"list", "-plist"},
                               ScriptedProcessLauncher::exited(0, diskListPlist({"disk0", "disk5", "disk4", "disk9"})));
    fx.answerInfo("disk0", diskInfoPlist(DiskPlistFields::internalDisk("disk0", "APPLE SSD")));
    fx.answerInfo("disk4", diskInfoPlist(DiskPlistFields::usbDisk("disk4", "A", std::nullopt)));
    fx.answerInfo("disk5", diskInfoPlist(DiskPlistFields::usbDisk("disk5", "B", std::nullopt)));
    fx.tp.processes->onCommand("/usr/sbin/diskutil", {"info", "-plist", "disk9"},
                               ScriptedProcessLauncher::exited(1, "Could not find disk"));
    auto disks = fx.lister.getCurrentUSBDisks();
    ASSERT_EQ(disks.size(), 2u);
    EXPECT_EQ(disks[0].id, "disk5");
    EXPECT_EQ(disks[1].id, "disk4");
    EXPECT_TRUE(fx.tp.diagnostics->containsSubstring("❌ USB disk bilgisi alınamadı: "));
    auto runs = fx.tp.processes->runsOf("/usr/sbin/diskutil");
    ASSERT_FALSE(runs.empty());
    EXPECT_EQ(runs[0].output, OutputWiring::pipe);
    EXPECT_EQ(runs[0].error, ErrorWiring::inherit);
}

TEST(USBDiskLister, BadListingsGiveNoDisks) {
    struct Case {
        RunResult answer;
        bool logs;
    };
    const Case cases[] = {
        {ScriptedProcessLauncher::startFailure("no diskutil"), true},
        {ScriptedProcessLauncher::exited(0, "not a plist"), true},
        {ScriptedProcessLauncher::exited(0, "\xff\xfe<plist>"), true},
        {ScriptedProcessLauncher::exited(0, plistDocument("<dict><key>AllDisks</key><array/></dict>\n")), false},
        {ScriptedProcessLauncher::exited(0, plistDocument("<dict><key>WholeDisks</key><array><integer>1</integer>"
                                                          "</array></dict>\n")),
         false},
        {ScriptedProcessLauncher::exited(0, plistDocument("<array/>\n")), false},
    };
    for (const auto& c : cases) {
        ListerFixture fx;
        fx.tp.processes->onCommand("/usr/sbin/diskutil", {"list", "-plist"}, c.answer);
        EXPECT_TRUE(fx.lister.getCurrentUSBDisks().empty());
        EXPECT_EQ(fx.tp.diagnostics->containsSubstring("❌ USB disk listesi alınamadı: "), c.logs) << c.answer.output;
    }
}

}  // namespace
}  // namespace velmora::testing
