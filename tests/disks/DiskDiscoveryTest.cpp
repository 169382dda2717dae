#include "disks/DiskDiscovery.h"

#include <gtest/gtest.h>

#include "FakeDiskutil.h"
#include "support/DiskPlists.h"
#include "support/TestPlatform.h"

namespace velmora {
namespace {

using testing::DiskPlistFields;
using testing::ScriptedProcessLauncher;

PlistValue info(const DiskPlistFields& f) {
    PlistDictionary d;
    auto put = [&](const char* key, const auto& value) {
        if (value) d[key] = PlistValue(*value);
    };
    put("MediaName", f.mediaName);
    put("VolumeName", f.volumeName);
    put("DeviceNode", f.deviceNode);
    put("MountPoint", f.mountPoint);
    put("FilesystemName", f.filesystemName);
    put("Protocol", f.protocol);
    put("BusProtocol", f.busProtocol);
    put("TotalSize", f.totalSize);
    put("Removable", f.removable);
    put("Internal", f.internal);
    return PlistValue(d);
}

std::optional<DiskInfo> fromFields(const DiskPlistFields& f) {
    return DiskDiscovery::diskFromInfo(f.id, info(f), dateFromSeconds(0));
}

TEST(DiskDiscoveryNaming, FirstApplicableRuleNamesTheDisk) {
    struct Case {
        const char* label;
        std::optional<std::string> mount, volume, media, node;
        std::string expected;
    };
    const Case cases[] = {
        {"mount point component", "/Volumes/My Disk", "Vol", "Media", "/dev/disk4", "My Disk"},
        {"trailing slash", "/Volumes/Backup/", "Vol", "Media", "/dev/disk4", "Backup"},
        {"/Volumes itself", "/Volumes", "Vol", "Media", "/dev/disk4", "Vol"},
        {"root mount", "/", "Vol", "Media", "/dev/disk4", "Vol"},
        {"empty mount", "", "Vol", "Media", "/dev/disk4", "Vol"},
        {"volume name", std::nullopt, "Vol", "Media", "/dev/disk4", "Vol"},
        {"empty volume", std::nullopt, "", "Media", "/dev/disk4", "Media"},
        {"media name", std::nullopt, std::nullopt, "SanDisk Cruzer", "/dev/disk4", "SanDisk Cruzer"},
        {"placeholder", std::nullopt, std::nullopt, std::nullopt, std::nullopt, "Unnamed Volume (disk4)"},
        {"empty node", std::nullopt, std::nullopt, "", "", "Unnamed Volume (disk4)"},
    };
    for (const auto& c : cases) {
        DiskPlistFields f;
        f.id = "disk4";
        f.mountPoint = c.mount;
        f.volumeName = c.volume;
        f.mediaName = c.media;
        f.deviceNode = c.node;
        EXPECT_EQ(DiskDiscovery::displayName("disk4", info(f)), c.expected) << c.label;
    }
}

TEST(DiskDiscoveryNaming, DiskImagesAndDeviceNodeNamesAreDropped) {
    DiskPlistFields f = DiskPlistFields::usbDisk("disk4", "Photos", std::nullopt);

    DiskPlistFields volumeInAnyCase = f;
    volumeInAnyCase.volumeName = "DISK image";
    volumeInAnyCase.mediaName = "Kingston";
    ASSERT_TRUE(fromFields(volumeInAnyCase));
    EXPECT_EQ(fromFields(volumeInAnyCase)->name, "Kingston");

    // The media name "Disk Image" is skipped by name, but still marks the disk as an image.
    DiskPlistFields mediaImage = f;
    mediaImage.volumeName.reset();
    mediaImage.mediaName = "Disk Image";
    EXPECT_FALSE(fromFields(mediaImage));

    DiskPlistFields busImage = f;
    busImage.busProtocol = "Disk Image";
    EXPECT_FALSE(fromFields(busImage));
    DiskPlistFields protocolImage = f;
    protocolImage.protocol = "disk image";
    EXPECT_FALSE(fromFields(protocolImage));
    DiskPlistFields mountedImage = f;
    mountedImage.mountPoint = "/Volumes/My Disk Image";
    EXPECT_FALSE(fromFields(mountedImage));

    DiskPlistFields onlyNode;
    onlyNode.id = "disk5";
    onlyNode.deviceNode = "/dev/disk5";
    EXPECT_FALSE(fromFields(onlyNode));

    DiskPlistFields nothing;
    nothing.id = "disk6";
    ASSERT_TRUE(fromFields(nothing));
    EXPECT_EQ(fromFields(nothing)->name, "Unnamed Volume (disk6)");
}

TEST(DiskDiscoveryNaming, FieldsTakeDefaultsForMissingOrWrongTypedKeys) {
    PlistDictionary d;
    d["VolumeName"] = PlistValue("Backup");
    d["TotalSize"] = PlistValue("12");       // wrong type
    d["Removable"] = PlistValue(1);          // wrong type
    d["MountPoint"] = PlistValue(true);      // wrong type
    const auto disk = DiskDiscovery::diskFromInfo("disk7", PlistValue(d), dateFromSeconds(0));
    ASSERT_TRUE(disk);
    EXPECT_EQ(disk->path, "/dev/disk7");
    EXPECT_EQ(disk->size, 0);
    EXPECT_FALSE(disk->isExternal);  // "Internal" missing: not external
    EXPECT_FALSE(disk->isRemovable);
    EXPECT_FALSE(disk->mountPoint);
    EXPECT_FALSE(disk->fileSystem);
    EXPECT_FALSE(disk->isAppleInternal);
    EXPECT_FALSE(DiskDiscovery::diskFromInfo("disk7", PlistValue(PlistArray{}), dateFromSeconds(0)));

    const auto usb = fromFields(DiskPlistFields::usbDisk("disk4", "Photos", "/Volumes/Photos"));
    ASSERT_TRUE(usb);
    EXPECT_TRUE(usb->isExternal);
    EXPECT_TRUE(usb->isRemovable);
    EXPECT_EQ(usb->size, 64000000000);
    EXPECT_EQ(usb->fileSystem, "ExFAT");
}

struct DiscoveryFixture : ::testing::Test {
    velmora::testing::TestPlatform tp;
    velmora::testing::FakeDiskutil diskutil{*tp.processes};
    DiskDiscovery discovery{tp.platform()};
};

TEST_F(DiscoveryFixture, ListingKeepsDiskutilOrderAndSkipsUnusableDisks) {
    diskutil.plug(DiskPlistFields::internalDisk("disk0", "APPLE SSD AP0512Q"));
    DiskPlistFields image = DiskPlistFields::usbDisk("disk3", "Installer", std::nullopt);
    image.busProtocol = "Disk Image";
    diskutil.plug(image);
    diskutil.plug(DiskPlistFields::usbDisk("disk5", "Zeta", "/Volumes/Zeta"));
    diskutil.plug(DiskPlistFields::usbDisk("disk4", "Alpha", "/Volumes/Alpha"));

    const auto disks = discovery.getCurrentDisks();
    ASSERT_EQ(disks.size(), 3u);
    EXPECT_EQ(disks[0].id, "disk0");
    EXPECT_TRUE(disks[0].isAppleInternal);
    EXPECT_EQ(disks[1].name, "Zeta");
    EXPECT_EQ(disks[2].name, "Alpha");
    EXPECT_EQ(disks[2].lastSeen, tp.scheduler->now());

    const auto runs = tp.processes->runsOf("/usr/sbin/diskutil");
    ASSERT_EQ(runs.size(), 5u);
    EXPECT_EQ(runs[0].arguments, (std::vector<std::string>{"list", "-plist"}));
    EXPECT_EQ(runs[0].output, OutputWiring::pipe);
    EXPECT_EQ(runs[0].error, ErrorWiring::inherit);
    EXPECT_EQ(runs[1].arguments, (std::vector<std::string>{"info", "-plist", "disk0"}));
    EXPECT_TRUE(tp.diagnostics->lines().empty());
}

TEST_F(DiscoveryFixture, ListingFailuresGiveAnEmptyListWithOneMessage) {
    diskutil.failListing(true);
    EXPECT_TRUE(discovery.getCurrentDisks().empty());
    EXPECT_TRUE(tp.diagnostics->contains("Disk listesi alınamadı: diskutil could not be started"));

    tp.diagnostics->clear();
    tp.processes->onCommand("/usr/sbin/diskutil", {"list", "-plist"}, ScriptedProcessLauncher::exited(0, "garbage \xff"));
    EXPECT_TRUE(discovery.getCurrentDisks().empty());
    EXPECT_TRUE(tp.diagnostics->containsSubstring("Disk listesi alınamadı: "));

    // A well-formed list without string identifiers is simply empty.
    tp.diagnostics->clear();
    tp.processes->onCommand("/usr/sbin/diskutil", {"list", "-plist"},
                            ScriptedProcessLauncher::exited(0, velmora::testing::plistDocument(
                                "<dict><key>WholeDisks</key><array><integer>4</integer></array></dict>\n")));
    EXPECT_TRUE(discovery.getCurrentDisks().empty());
    EXPECT_TRUE(tp.diagnostics->lines().empty());
}

TEST_F(DiscoveryFixture, DescribingFailuresGiveNoRecordWithOneMessage) {
    tp.processes->onCommand("/usr/sbin/diskutil", {"info", "-plist", "disk4"}, ScriptedProcessLauncher::startFailure("gone"));
    EXPECT_FALSE(discovery.getDiskInfo("disk4"));
    EXPECT_TRUE(tp.diagnostics->contains("Disk bilgisi alınamadı: gone"));

    tp.processes->onCommand("/usr/sbin/diskutil", {"info", "-plist", "disk5"}, ScriptedProcessLauncher::exited(0, "<plist><dict>"));
    EXPECT_FALSE(discovery.getDiskInfo("disk5"));
    EXPECT_TRUE(tp.diagnostics->containsSubstring("Disk bilgisi alınamadı: "));
}

TEST_F(DiscoveryFixture, StatusIsASingleSpaceSubstringTestOnTheDevicePath) {
    const DiskInfo disk("disk4", "USB", "/dev/disk4", 0, true, true, std::nullopt, std::nullopt, false, tp.scheduler->now());
    struct Case {
        const char* label;
        RunResult answer;
        std::string expected;
    };
    const Case cases[] = {
        {"mounted", ScriptedProcessLauncher::exited(0, "   Mounted: Yes\n"), "Connected"},
        {"not mounted", ScriptedProcessLauncher::exited(0, "   Mounted: No\n"), "Disconnected"},
        // Real diskutil pads the column; the single-space pattern misses it.
        {"padded", ScriptedProcessLauncher::exited(0, "   Mounted:                   Yes\n"), "Unknown"},
        {"not UTF-8", ScriptedProcessLauncher::exited(0, "Mounted: Yes \xff\xfe"), "Unknown"},
        {"exit status ignored", ScriptedProcessLauncher::exited(1, "Mounted: No"), "Disconnected"},
        {"cannot start", ScriptedProcessLauncher::startFailure(), "Error"},
    };
    for (const auto& c : cases) {
        tp.processes->onCommand("/usr/sbin/diskutil", {"info", "/dev/disk4"}, c.answer, 1);
        EXPECT_EQ(discovery.getDiskStatus(disk), c.expected) << c.label;
    }
}

TEST(DiskDiscoveryStatus, UsesTheStringTableWhenItHasAnEntry) {
    velmora::testing::TestPlatform tp;
    tp.strings = std::make_shared<StringTable>(std::map<std::string, std::string>{{"disk_connected", "Bağlı"}});
    tp.processes->onCommand("/usr/sbin/diskutil", {"info", "/dev/disk4"}, ScriptedProcessLauncher::exited(0, "Mounted: Yes"));
    DiskDiscovery discovery(tp.platform());
    const DiskInfo disk("disk4", "USB", "/dev/disk4", 0, true, true, std::nullopt, std::nullopt, false, tp.scheduler->now());
    EXPECT_EQ(discovery.getDiskStatus(disk), "Bağlı");
}

}  // namespace
}  // namespace velmora
