#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "sim/state/MachineState.h"

namespace velmora::sim {
namespace {

MachineState richState() {
    MachineState s;
    Disk disk;
    disk.identifier = "disk4";
    disk.mediaName = "Name with \"quotes\" $(reboot) `id` \n sudo 🚀 Şeker";
    disk.size = 1000204886016;
    disk.protocol = "USB";
    disk.busProtocol = "USB";
    disk.content = "GUID_partition_scheme";
    disk.usbDevice = "usb-3";
    disk.vanishesOnInfo = true;
    Volume volume;
    volume.identifier = "disk4s2";
    volume.volumeName = "Velmora SSD";
    volume.fileSystemName = "ExFAT";
    volume.fileSystemType = "exfat";
    volume.mountPoint = "/tmp/m/Volumes/Velmora SSD";
    volume.journaled = true;
    volume.mountOptions = "noatime";
    disk.volumes.push_back(volume);
    Volume unmounted = volume;
    unmounted.identifier = "disk4s1";
    unmounted.mountPoint.reset();
    disk.volumes.push_back(unmounted);
    s.disks.push_back(disk);
    UsbDevice usb;
    usb.key = "usb-3";
    usb.productName = "RTL9210B-CG";
    usb.vendorId = 0x0bda;
    usb.productId = 0x9210;
    usb.locationId = 0x14420000u;
    usb.extraProperties = {"RTL9210 timeout"};
    s.usbDevices.push_back(usb);
    s.log.push_back({1700000000.25, "kernel", 0, "attach"});
    ProcessEntry finder;
    finder.pid = 412;
    finder.name = "Finder";
    finder.isApplication = true;
    finder.bundleIdentifier = "com.apple.finder";
    finder.launchTime = 1699999000.5;
    s.processes.push_back(finder);
    s.pmset["disksleep"] = "10";
    s.sysctl["kern.maxfiles"] = "245760";
    s.loadedKexts.insert("com.apple.iokit.IOUSBMassStorageClass");
    s.loginItems.push_back({"Velmora", "/Applications/Velmora.app", true});
    s.notificationAuthorization = "denied";
    s.notificationRequestGranted = false;
    s.notifications.push_back({"id-1", "Title", "Body", 1700000001});
    s.assertions.push_back({0x1001, "PreventUserIdleSystemSleep", "Velmora", 255, 77, 1700000002});
    s.openedURLs.push_back("x-apple.systempreferences:com.apple.preference.security");
    s.userIsAdmin = true;
    s.automationAllowed = false;
    s.toolFaults["diskutil"] = ToolFault::hang;
    s.toolFaults["ioreg"] = ToolFault::nonUTF8;
    s.nextDiskNumber = 9;
    s.nextPid = 1234;
    s.nextAssertionId = 0x2000;
    s.nextUsbAddress = 7;
    return s;
}

TEST(MachineStateJson, RoundTripKeepsEveryField) {
    MachineState original = richState();
    std::string text = stateToText(original);
    MachineState back = stateFromText(text);
    // Writing the read-back state again must give the same text: nothing was
    // lost or changed on the way.
    EXPECT_EQ(stateToText(back), text);
    ASSERT_EQ(back.disks.size(), 1u);
    EXPECT_EQ(back.disks[0].mediaName, original.disks[0].mediaName);
    EXPECT_TRUE(back.disks[0].vanishesOnInfo);
    EXPECT_EQ(back.disks[0].volumes[0].mountPoint, original.disks[0].volumes[0].mountPoint);
    EXPECT_FALSE(back.disks[0].volumes[1].mountPoint.has_value());
    EXPECT_EQ(back.processes[0].bundleIdentifier, "com.apple.finder");
    EXPECT_FALSE(back.processes[0].bundlePath.has_value());
    EXPECT_EQ(back.toolFaults.at("diskutil"), ToolFault::hang);
    EXPECT_EQ(back.toolFaults.at("ioreg"), ToolFault::nonUTF8);
    EXPECT_EQ(back.nextAssertionId, 0x2000u);
    EXPECT_EQ(back.usbDevices[0].locationId, 0x14420000u);
    EXPECT_FALSE(back.automationAllowed);
    EXPECT_TRUE(back.userIsAdmin);
}

TEST(MachineStateJson, MissingFieldsTakeDefaults) {
    MachineState s = stateFromText(R"({"disks":[{"identifier":"disk7","protocol":"USB"}]})");
    ASSERT_EQ(s.disks.size(), 1u);
    EXPECT_EQ(s.disks[0].busProtocol, "USB");  // follows protocol unless given
    EXPECT_EQ(s.disks[0].virtualOrPhysical, "Physical");
    EXPECT_FALSE(s.userIsAdmin);
    EXPECT_TRUE(s.automationAllowed);
    EXPECT_EQ(s.notificationAuthorization, "notDetermined");
    EXPECT_EQ(s.nextDiskNumber, 4);
}

TEST(MachineStateJson, RejectsTextThatIsNotAState) {
    for (const char* text : {"", "{", "[1,2]", "42", R"({"disks": 5})", R"({"disks":[{"size":"big"}]})"}) {
        EXPECT_THROW(stateFromText(text), MachineError) << text;
    }
}

TEST(MachineStateJson, UnknownFaultNamesAreIgnored) {
    MachineState s = stateFromText(R"({"toolFaults":{"diskutil":"explode","pmset":"fail","df":7}})");
    EXPECT_EQ(s.toolFaults.size(), 1u);
    EXPECT_EQ(s.toolFaults.at("pmset"), ToolFault::fail);
}

TEST(MachineStateJson, FaultNamesRoundTrip) {
    for (ToolFault f : {ToolFault::none, ToolFault::hang, ToolFault::missing, ToolFault::fail, ToolFault::garble,
                        ToolFault::truncate, ToolFault::nonUTF8, ToolFault::huge}) {
        EXPECT_EQ(toolFaultFromName(toolFaultName(f)), f);
    }
    EXPECT_FALSE(toolFaultFromName("Hang").has_value());
}

TEST(MachineStateJson, InvalidUtf8InANameDoesNotMakeTheStateUnwritable) {
    MachineState s;
    Disk d;
    d.identifier = "disk4";
    d.mediaName = std::string("bad\xff\xfe name");
    s.disks.push_back(d);
    std::string text;
    ASSERT_NO_THROW(text = stateToText(s));
    MachineState back = stateFromText(text);
    EXPECT_EQ(back.disks[0].identifier, "disk4");
}

}  // namespace
}  // namespace velmora::sim
