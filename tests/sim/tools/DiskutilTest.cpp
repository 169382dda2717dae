#include <sys/stat.h>

#include <algorithm>
#include <set>

#include "tests/sim/tools/ToolTestSupport.h"

namespace velmora::sim::testing {
namespace {

class DiskutilTest : public ToolFixture {
protected:
    std::set<std::string> keysOf(const PlistValue& v) {
        std::set<std::string> keys;
        if (auto* d = v.asDictionary()) {
            for (const auto& entry : *d) keys.insert(entry.first);
        }
        return keys;
    }
    const PlistValue* entryFor(const PlistValue& list, const std::string& id) {
        for (const auto& e : *list.find("AllDisksAndPartitions")->asArray()) {
            if (e.string("DeviceIdentifier") == id) return &e;
        }
        return nullptr;
    }
};

TEST_F(DiskutilTest, ListPlistHasExactlyTheFourTopLevelKeysAndNamesEveryWholeDisk) {
    auto r = run("diskutil", {"list", "-plist"});
    ASSERT_EQ(r.exitStatus, 0);
    PlistValue list = parsed(r.out);
    EXPECT_EQ(keysOf(list), (std::set<std::string>{"AllDisks", "AllDisksAndPartitions", "VolumesFromDisks", "WholeDisks"}));
    std::vector<std::string> expected;
    for (const auto& d : state().disks) expected.push_back(d.identifier);
    EXPECT_EQ(list.stringList("WholeDisks"), expected);
}

TEST_F(DiskutilTest, ListPlistEntriesCarryTheRealKeySets) {
    PlistValue list = parsed(run("diskutil", {"list", "-plist"}).out);
    const std::set<std::string> partitionKeys = {"Content", "DeviceIdentifier", "DiskUUID", "MountPoint",
                                                 "Size",    "VolumeName",       "VolumeUUID"};
    const PlistValue* usb = entryFor(list, "disk4");
    ASSERT_NE(usb, nullptr);
    EXPECT_EQ(keysOf(*usb), (std::set<std::string>{"Content", "DeviceIdentifier", "OSInternal", "Partitions", "Size"}));
    for (const auto& p : *usb->find("Partitions")->asArray()) {
        for (const auto& k : keysOf(p)) EXPECT_TRUE(partitionKeys.count(k)) << k;
    }
    const PlistValue& mounted = usb->find("Partitions")->asArray()->at(1);
    EXPECT_EQ(mounted.string("MountPoint"), dir() + "/Volumes/Velmora SSD");
    EXPECT_EQ(mounted.string("VolumeName"), "Velmora SSD");

    const PlistValue* container = entryFor(list, "disk3");
    ASSERT_NE(container, nullptr);
    EXPECT_EQ(container->string("Content"), "EF57347C-0000-11AA-AA11-00306543ECAC");
    ASSERT_NE(container->find("APFSPhysicalStores"), nullptr);
    EXPECT_EQ(container->find("APFSPhysicalStores")->asArray()->at(0).string("DeviceIdentifier"), "disk0s2");
    ASSERT_NE(container->find("APFSVolumes"), nullptr);
    EXPECT_FALSE(container->find("APFSVolumes")->asArray()->empty());

    auto names = list.stringList("VolumesFromDisks").value_or(std::vector<std::string>{});
    EXPECT_NE(std::find(names.begin(), names.end(), "Velmora SSD"), names.end());
    EXPECT_EQ(std::find(names.begin(), names.end(), "EFI"), names.end()) << "unmounted volumes are not listed";
}

TEST_F(DiskutilTest, FiltersAndSingleDiskListings) {
    PlistValue external = parsed(run("diskutil", {"list", "-plist", "external"}).out);
    EXPECT_EQ(external.stringList("WholeDisks"), (std::vector<std::string>{"disk4", "disk5"}));
    PlistValue one = parsed(run("diskutil", {"list", "-plist", "/dev/disk5"}).out);
    EXPECT_EQ(one.stringList("WholeDisks"), (std::vector<std::string>{"disk5"}));
    auto wrongOrder = run("diskutil", {"list", "external", "-plist"});
    EXPECT_EQ(wrongOrder.exitStatus, 1);
    EXPECT_EQ(wrongOrder.err, "Could not find disk for -plist\n");
}

TEST_F(DiskutilTest, WholeDiskInfoHasEmptyMountPointAndVolumeNameLikeARealMac) {
    auto r = run("diskutil", {"info", "-plist", "disk4"});
    ASSERT_EQ(r.exitStatus, 0);
    PlistValue info = parsed(r.out);
    EXPECT_EQ(info.string("MountPoint"), "");
    EXPECT_EQ(info.string("VolumeName"), "");
    EXPECT_EQ(info.string("MediaName"), "Samsung SSD 980 PRO 1TB");
    EXPECT_EQ(info.string("DeviceNode"), "/dev/disk4");
    EXPECT_EQ(info.boolean("Internal"), false);
    EXPECT_EQ(info.boolean("WholeDisk"), true);
    EXPECT_EQ(info.string("BusProtocol"), "USB");
    EXPECT_EQ(info.find("FilesystemName"), nullptr);
    for (const char* key : {"Bootable", "CanBeMadeBootable", "Content", "DeviceBlockSize", "DeviceIdentifier",
                            "DeviceTreePath", "Ejectable", "EjectableMediaAutomaticUnderSoftwareControl",
                            "EjectableOnly", "GlobalPermissionsEnabled", "IORegistryEntryName", "MediaType",
                            "OSInternalMedia", "ParentWholeDisk", "PartitionMapPartition", "Removable", "RemovableMedia",
                            "RemovableMediaOrExternalDevice", "SMARTStatus", "Size", "SupportsGlobalPermissionsDisable",
                            "SystemImage", "TotalSize", "VirtualOrPhysical", "Writable"}) {
        EXPECT_NE(info.find(key), nullptr) << key;
    }
}

TEST_F(DiskutilTest, InfoAcceptsIdentifiersDevicePathsAndMountPoints) {
    for (const std::string& specifier : {std::string("disk4s2"), std::string("/dev/disk4s2"), std::string("/dev/rdisk4s2"),
                                    dir() + "/Volumes/Velmora SSD"}) {
        PlistValue info = parsed(run("diskutil", {"info", "-plist", specifier}).out);
        EXPECT_EQ(info.string("DeviceIdentifier"), "disk4s2") << specifier;
        EXPECT_EQ(info.string("FilesystemType"), "exfat") << specifier;
        EXPECT_EQ(info.string("MountPoint"), dir() + "/Volumes/Velmora SSD") << specifier;
    }
}

TEST_F(DiskutilTest, DiskWithoutPartitionMapCarriesItsVolumeInTheWholeDiskInfo) {
    change([&](MachineState& s) {
        Disk stick;
        stick.identifier = "disk9";
        stick.mediaName = "Cruzer Fit";
        stick.size = 15682240512;
        stick.removable = stick.ejectable = true;
        stick.protocol = stick.busProtocol = "USB";
        Volume v;
        v.identifier = "disk9";
        v.volumeName = "NO NAME";
        v.fileSystemName = "MS-DOS FAT32";
        v.fileSystemType = "msdos";
        v.size = stick.size;
        v.mountPoint = dir() + "/Volumes/NO NAME";
        stick.volumes.push_back(v);
        s.disks.push_back(stick);
    });
    PlistValue info = parsed(run("diskutil", {"info", "-plist", "disk9"}).out);
    EXPECT_EQ(info.string("VolumeName"), "NO NAME");
    EXPECT_EQ(info.string("MountPoint"), dir() + "/Volumes/NO NAME");
    EXPECT_EQ(info.boolean("WholeDisk"), true);
    PlistValue list = parsed(run("diskutil", {"list", "-plist"}).out);
    const PlistValue* entry = entryFor(list, "disk9");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->find("Partitions"), nullptr);
    EXPECT_EQ(entry->string("MountPoint"), dir() + "/Volumes/NO NAME");
}

TEST_F(DiskutilTest, MissingAndVanishingDisks) {
    auto plist = run("diskutil", {"info", "-plist", "disk42"});
    EXPECT_EQ(plist.exitStatus, 1);
    PlistValue error = parsed(plist.out);
    EXPECT_EQ(error.boolean("Error"), true);
    EXPECT_EQ(error.string("ErrorMessage"), "Could not find disk: disk42");
    EXPECT_EQ(error.integer("ExitCode"), 1);

    auto textForm = run("diskutil", {"info", "/dev/disk42"});
    EXPECT_EQ(textForm.exitStatus, 1);
    EXPECT_EQ(textForm.out, "");
    EXPECT_EQ(textForm.err, "Could not find disk: /dev/disk42\n");

    change([](MachineState& s) { s.disks[4].vanishesOnInfo = true; });
    EXPECT_NE(run("diskutil", {"list", "-plist"}).out.find("<string>disk4</string>"), std::string::npos);
    EXPECT_EQ(run("diskutil", {"info", "-plist", "disk4"}).exitStatus, 1);
}

TEST_F(DiskutilTest, InfoTextPadsTheValueColumnSoMountedIsNeverFollowedBySingleSpace) {
    auto volume = run("diskutil", {"info", "disk4s2"});
    EXPECT_NE(volume.out.find("   Mounted:                   Yes\n"), std::string::npos) << volume.out;
    EXPECT_NE(volume.out.find("   Mount Point:               " + dir() + "/Volumes/Velmora SSD\n"), std::string::npos);
    EXPECT_EQ(volume.out.find("Mounted: Yes"), std::string::npos);
    auto whole = run("diskutil", {"info", "/dev/disk4"});
    EXPECT_NE(whole.out.find("   Mounted:                   Not applicable (no file system)\n"), std::string::npos);
    EXPECT_NE(whole.out.find("   Device Node:               /dev/disk4\n"), std::string::npos);
    auto efi = run("diskutil", {"info", "disk4s1"});
    EXPECT_NE(efi.out.find("   Mounted:                   No\n"), std::string::npos);
}

TEST_F(DiskutilTest, ListTextColumnsMatchTheRealLayout) {
    auto out = run("diskutil", {"list", "disk4"}).out;
    auto l = lines(out);
    ASSERT_GE(l.size(), 5u);
    EXPECT_EQ(l[0], "/dev/disk4 (external, physical):");
    EXPECT_EQ(l[1], "   #:                       TYPE NAME                    SIZE       IDENTIFIER");
    EXPECT_EQ(l[2], "   0:      GUID_partition_scheme                        *1.0 TB     disk4");
    EXPECT_EQ(l[3], "   1:                        EFI EFI                     209.7 MB   disk4s1");
}

TEST_F(DiskutilTest, SnapshotsFollowTheirVolumeAndLongNamesAreCut) {
    change([](MachineState& s) { s.disks[4].volumes[1].volumeName = "A Rather Long Volume Name Indeed"; });
    auto text = run("diskutil", {"list"}).out;
    EXPECT_NE(text.find("   1:                APFS Volume Macintosh HD            10.8 GB    disk3s1\n"
                        "   2:              APFS Snapshot com.apple.os.update-... 10.8 GB    disk3s1s1\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find(" A Rather Long Volume... 1.0 TB     disk4s2\n"), std::string::npos) << text;

    PlistValue list = parsed(run("diskutil", {"list", "-plist"}).out);
    const PlistValue* container = entryFor(list, "disk3");
    ASSERT_NE(container, nullptr);
    const PlistValue& system = container->find("APFSVolumes")->asArray()->at(0);
    EXPECT_EQ(system.string("DeviceIdentifier"), "disk3s1");
    const PlistValue* snapshots = system.find("MountedSnapshots");
    ASSERT_NE(snapshots, nullptr);
    ASSERT_EQ(snapshots->asArray()->size(), 1u);
    EXPECT_EQ(snapshots->asArray()->at(0).string("SnapshotBSD"), "disk3s1s1");
    EXPECT_EQ(snapshots->asArray()->at(0).string("SnapshotMountPoint"), "/");
}

TEST_F(DiskutilTest, MountUnmountAndEjectChangeTheMachine) {
    const std::string mp = dir() + "/Volumes/Velmora SSD";
    auto wholeUnmount = run("diskutil", {"unmount", "/dev/disk4"});
    EXPECT_EQ(wholeUnmount.exitStatus, 1);
    EXPECT_EQ(wholeUnmount.err,
              "disk4 was already unmounted or it has a partitioning scheme so use \"diskutil unmountDisk\" instead\n");

    auto unmounted = run("diskutil", {"unmount", "force", "disk4s2"});
    EXPECT_EQ(unmounted.exitStatus, 0);
    EXPECT_EQ(unmounted.out, "Volume Velmora SSD on disk4s2 force-unmounted\n");
    EXPECT_FALSE(state().disks[4].volumes[1].mountPoint.has_value());
    EXPECT_EQ(run("diskutil", {"unmount", "disk4s2"}).exitStatus, 1);

    auto mounted = run("diskutil", {"mount", "/dev/disk4s2"});
    EXPECT_EQ(mounted.exitStatus, 0);
    EXPECT_EQ(mounted.out, "Volume Velmora SSD on /dev/disk4s2 mounted\n");
    EXPECT_EQ(state().disks[4].volumes[1].mountPoint, mp);
    struct stat info {};
    EXPECT_EQ(::stat(mp.c_str(), &info), 0) << "the mount point is a real folder";

    EXPECT_EQ(run("diskutil", {"mount", "/dev/disk4"}).exitStatus, 1) << "a partitioned whole disk is not mountable";

    auto ejected = run("diskutil", {"eject", "/dev/disk5"});
    EXPECT_EQ(ejected.out, "Disk /dev/disk5 ejected\n");
    for (const auto& d : state().disks) EXPECT_NE(d.identifier, "disk5");
    EXPECT_EQ(run("diskutil", {"eject", "/dev/disk5"}).err, "Unable to find disk for /dev/disk5\n");
}

TEST_F(DiskutilTest, JournalingAndOwnership) {
    struct Case {
        std::string verb, target;
        bool admin;
        int status;
        std::string out, err;
    };
    const std::vector<Case> cases = {
        {"enableJournal", "disk5s2", false, 0, "Journaling has been enabled for volume Archive on disk5s2\n", ""},
        {"enableJournal", "disk4s2", false, 1, "", "Volume Velmora SSD on disk4s2 does not support journaling\n"},
        {"enableJournal", "/dev/disk4", false, 1, "", "disk4 does not contain a file system\n"},
        {"enableOwnership", "/dev/disk4s2", false, 1, "", "Changing ownership mode requires root\n"},
        {"enableOwnership", "/dev/disk4s2", true, 0, "File system user/group ownership enabled\n", ""},
        {"resetPartition", "/dev/disk4", false, 1, "",
         "diskutil: did not recognize verb \"resetPartition\"; type \"diskutil\" for a list\n"},
    };
    for (const auto& c : cases) {
        change([&](MachineState& s) { s.userIsAdmin = c.admin; });
        auto r = run("diskutil", {c.verb, c.target});
        EXPECT_EQ(r.exitStatus, c.status) << c.verb << " " << c.target;
        EXPECT_EQ(r.out, c.out) << c.verb << " " << c.target;
        EXPECT_EQ(r.err, c.err) << c.verb << " " << c.target;
    }
    MachineState s = state();
    EXPECT_TRUE(s.disks[5].volumes[1].journaled);
    EXPECT_TRUE(s.disks[4].volumes[1].ownersEnabled);
}

TEST_F(DiskutilTest, HostileNamesComeBackVerbatimThroughThePropertyList) {
    const std::string hostile = "a\"b'c $(touch /tmp/x) `id` & <tag> sudo\nline2 💾 Şişli";
    change([&](MachineState& s) {
        s.disks[4].mediaName = hostile;
        s.disks[4].volumes[1].volumeName = hostile;
    });
    PlistValue info = parsed(run("diskutil", {"info", "-plist", "disk4"}).out);
    EXPECT_EQ(info.string("MediaName"), hostile);
    PlistValue list = parsed(run("diskutil", {"list", "-plist"}).out);
    auto names = list.stringList("VolumesFromDisks").value_or(std::vector<std::string>{});
    EXPECT_NE(std::find(names.begin(), names.end(), hostile), names.end());
    EXPECT_EQ(run("diskutil", {"mount", hostile}).exitStatus, 0) << "a volume can be named by its name";
}

TEST_F(DiskutilTest, NoArgumentsOrStrayArgumentsNeverCrash) {
    const std::vector<std::vector<std::string>> inputs = {
        {}, {"info"}, {"info", "-plist"}, {"info", "a", "b"}, {"mount"}, {"unmount", "force"}, {"eject"},
        {"list", "disk4", "disk5"}, {""}, {"list", ""}, {"info", ""}, {"quiet"}, {"-plist", "list"}};
    for (const auto& args : inputs) {
        auto r = run("diskutil", args);
        EXPECT_TRUE(r.exitStatus == 0 || r.exitStatus == 1) << (args.empty() ? "(none)" : args[0]);
    }
    EXPECT_EQ(run("diskutil", {"-plist", "list"}).err,
              "diskutil: did not recognize verb \"-plist\"; type \"diskutil\" for a list\n");
}

}  // namespace
}  // namespace velmora::sim::testing
