#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>

#include "SimTestSupport.h"
#include "sim/state/MachineEditor.h"

namespace velmora::sim {
namespace {

using testing::ScratchMachine;

bool isFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool isLink(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

const Disk* findDisk(const MachineState& s, const std::string& id) {
    for (const auto& d : s.disks) {
        if (d.identifier == id) return &d;
    }
    return nullptr;
}

const UsbDevice* deviceBehind(const MachineState& s, const Disk& d) {
    for (const auto& u : s.usbDevices) {
        if (u.key == d.usbDevice) return &u;
    }
    return nullptr;
}

TEST(MachineEditor, BridgeDecidesTheUsbDevice) {
    struct Case {
        const char* bridge;
        const char* product;
        int vendorId;
        int productId;
    };
    const Case cases[] = {{"RTL9210B-CG", "RTL9210B-CG", 0x0bda, 0x9210},
                          {"RTL9210", "RTL9210", 0x0bda, 0x9210},
                          {"ASM1153E", "ASM1153E", 0x174c, 0x55aa},
                          {"JMS567", "JMS567", 0x152d, 0x0567},
                          {"NONE", "USB Mass Storage", 0x058f, 0x6387}};
    ScratchMachine mac("empty");
    MachineEditor editor(mac.machine());
    for (const auto& c : cases) {
        PlugOptions options;
        options.mediaName = std::string("Disk on ") + c.bridge;
        options.bridge = c.bridge;
        std::string id = editor.plug(options);
        MachineState s = mac.machine().read();
        const Disk* disk = findDisk(s, id);
        ASSERT_NE(disk, nullptr) << c.bridge;
        EXPECT_EQ(disk->protocol, "USB");
        EXPECT_FALSE(disk->internal);
        const UsbDevice* usb = deviceBehind(s, *disk);
        ASSERT_NE(usb, nullptr) << c.bridge;
        EXPECT_EQ(usb->productName, c.product);
        EXPECT_EQ(usb->vendorId, c.vendorId);
        EXPECT_EQ(usb->productId, c.productId);
    }
    EXPECT_THROW(editor.plug({"x", "", 500107862016, "RTL9999", "ExFAT", std::nullopt}), MachineError);
    EXPECT_THROW(editor.plug({"x", "", 500107862016, "NONE", "NTFS", std::nullopt}), MachineError);
}

TEST(MachineEditor, PlugGivesFreshIdentifiersAndMountsTheVolume) {
    ScratchMachine mac;
    MachineEditor editor(mac.machine());
    PlugOptions options;
    options.mediaName = "Fresh";
    options.volumeName = "Velmora SSD";  // already mounted by the scenario
    std::string first = editor.plug(options);
    std::string second = editor.plug(options);
    EXPECT_EQ(first, "disk6");
    EXPECT_EQ(second, "disk7");
    MachineState s = mac.machine().read();
    EXPECT_EQ(findDisk(s, first)->volumes.back().mountPoint, mac.dir() + "/Volumes/Velmora SSD 1");
    EXPECT_EQ(findDisk(s, second)->volumes.back().mountPoint, mac.dir() + "/Volumes/Velmora SSD 2");
    EXPECT_TRUE(isFolder(mac.dir() + "/Volumes/Velmora SSD 2"));
    EXPECT_NE(deviceBehind(s, *findDisk(s, first))->address, deviceBehind(s, *findDisk(s, second))->address);
}

TEST(MachineEditor, ApfsDiskGetsASynthesizedContainer) {
    ScratchMachine mac("empty");
    MachineEditor editor(mac.machine());
    PlugOptions options;
    options.mediaName = "T7";
    options.volumeName = "Work";
    options.fileSystem = "APFS";
    std::string id = editor.plug(options);
    MachineState s = mac.machine().read();
    const Disk* physical = findDisk(s, id);
    ASSERT_NE(physical, nullptr);
    EXPECT_FALSE(physical->synthesized);
    const Disk* container = findDisk(s, "disk5");
    ASSERT_NE(container, nullptr);
    EXPECT_TRUE(container->synthesized);
    EXPECT_EQ(container->usbDevice, physical->usbDevice);
    ASSERT_EQ(container->volumes.size(), 1u);
    EXPECT_EQ(container->volumes[0].volumeName, "Work");
    EXPECT_EQ(container->volumes[0].fileSystemType, "apfs");

    editor.unplug(id);  // the container goes with its physical store
    s = mac.machine().read();
    EXPECT_EQ(findDisk(s, id), nullptr);
    EXPECT_EQ(findDisk(s, "disk5"), nullptr);
    EXPECT_FALSE(isFolder(mac.dir() + "/Volumes/Work"));
}

TEST(MachineEditor, HostileNamesAreStoredVerbatim) {
    const std::string names[] = {"O'Brien \"quoted\"", "$(touch /tmp/velmora-pwned)", "`id`; rm -rf ~",
                                 "line one\nline two", "sudo pmset", "Şeker 💾 диск", "a/b"};
    ScratchMachine mac("empty");
    MachineEditor editor(mac.machine());
    for (const auto& name : names) {
        PlugOptions options;
        options.mediaName = name;
        options.volumeName = name;
        options.productName = name;
        std::string id = editor.plug(options);
        MachineState s = mac.machine().read();
        const Disk* disk = findDisk(s, id);
        ASSERT_NE(disk, nullptr);
        EXPECT_EQ(disk->mediaName, name);
        EXPECT_EQ(disk->volumes.back().volumeName, name);
        EXPECT_EQ(deviceBehind(s, *disk)->productName, name);
        ASSERT_TRUE(disk->volumes.back().mountPoint.has_value());
        EXPECT_TRUE(isFolder(*disk->volumes.back().mountPoint)) << name;
    }
    struct stat info {};
    EXPECT_NE(::stat("/tmp/velmora-pwned", &info), 0);
    // "/" cannot be part of a folder name; macOS shows it as ":".
    EXPECT_TRUE(isFolder(mac.dir() + "/Volumes/a:b"));
}

TEST(MachineEditor, DiskImageIsVirtualAndNotBehindUsb) {
    ScratchMachine mac;
    MachineEditor editor(mac.machine());
    std::string id = editor.attachImage("Installer", 1048576);
    MachineState s = mac.machine().read();
    const Disk* image = findDisk(s, id);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->protocol, "Disk Image");
    EXPECT_EQ(image->virtualOrPhysical, "Virtual");
    EXPECT_TRUE(image->usbDevice.empty());
    EXPECT_TRUE(isFolder(mac.dir() + "/Volumes/Installer"));
    auto usbBefore = s.usbDevices.size();
    editor.unplug(id);  // only the image goes
    s = mac.machine().read();
    EXPECT_EQ(findDisk(s, id), nullptr);
    EXPECT_NE(findDisk(s, "disk4"), nullptr);
    EXPECT_EQ(s.usbDevices.size(), usbBefore);
    EXPECT_FALSE(isFolder(mac.dir() + "/Volumes/Installer"));
}

TEST(MachineEditor, UnplugLeavesUserContentInTheMountFolder) {
    ScratchMachine mac("empty");
    MachineEditor editor(mac.machine());
    PlugOptions options;
    options.mediaName = "Full";
    std::string id = editor.plug(options);
    std::string folder = mac.dir() + "/Volumes/Full";
    std::ofstream(folder + "/keep.txt") << "data";
    editor.unplug(id);
    EXPECT_TRUE(isFolder(folder));
    MachineState s = mac.machine().read();
    EXPECT_TRUE(s.usbDevices.empty());
    EXPECT_THROW(editor.unplug(id), MachineError);
    EXPECT_NE(s.log.back().message.find("disconnect"), std::string::npos);
}

TEST(MachineEditor, MountAndUnmountFollowTheVolume) {
    ScratchMachine mac;
    MachineEditor editor(mac.machine());
    editor.unmount("disk4");
    EXPECT_FALSE(isFolder(mac.dir() + "/Volumes/Velmora SSD"));
    EXPECT_FALSE(findDisk(mac.machine().read(), "disk4")->volumes[1].mountPoint.has_value());
    EXPECT_EQ(editor.mount("disk4s2"), mac.dir() + "/Volumes/Velmora SSD");
    EXPECT_EQ(editor.mount("disk4s2"), mac.dir() + "/Volumes/Velmora SSD");  // already mounted: same place
    EXPECT_THROW(editor.mount("disk0s1"), MachineError);                     // no file system
    EXPECT_THROW(editor.mount("disk99"), MachineError);
}

TEST(MachineEditor, MissingToolLosesItsLinksUntilCleared) {
    ScratchMachine mac;
    MachineEditor editor(mac.machine());
    editor.setToolFault("sysctl", ToolFault::missing);
    EXPECT_FALSE(isLink(mac.dir() + "/usr/sbin/sysctl"));
    EXPECT_EQ(mac.machine().read().toolFaults.at("sysctl"), ToolFault::missing);
    editor.setToolFault("sysctl", ToolFault::hang);  // another fault brings the program back
    EXPECT_TRUE(isLink(mac.dir() + "/usr/sbin/sysctl"));
    editor.setToolFault("sysctl", ToolFault::none);
    EXPECT_TRUE(isLink(mac.dir() + "/usr/sbin/sysctl"));
    EXPECT_EQ(mac.machine().read().toolFaults.count("sysctl"), 0u);
    EXPECT_THROW(editor.setToolFault("rm", ToolFault::fail), MachineError);
}

TEST(MachineEditor, UsbFaultMarkersReplaceEachOther) {
    ScratchMachine mac;
    MachineEditor editor(mac.machine());
    editor.setUsbFault("disk4", UsbFault::timeout);
    editor.setUsbFault("disk4", UsbFault::error);
    MachineState s = mac.machine().read();
    EXPECT_EQ(deviceBehind(s, *findDisk(s, "disk4"))->extraProperties, std::vector<std::string>{"RTL9210 error"});
    editor.setUsbFault("disk4", UsbFault::clear);
    s = mac.machine().read();
    EXPECT_TRUE(deviceBehind(s, *findDisk(s, "disk4"))->extraProperties.empty());
    EXPECT_THROW(editor.setUsbFault("disk0", UsbFault::timeout), MachineError);  // not behind USB
}

TEST(MachineEditor, EnumerationFailuresAppendMatchingKernelLines) {
    ScratchMachine mac("empty");
    MachineEditor editor(mac.machine());
    editor.addEnumerationFailures(3, "Velmora SSD");
    int enumeration = 0, createDevice = 0;
    for (const auto& e : mac.machine().read().log) {
        EXPECT_EQ(e.process, "kernel");
        if (e.message.find("enumeration failures Velmora SSD") != std::string::npos) ++enumeration;
        if (e.message.find("failed to create device Velmora SSD") != std::string::npos) ++createDevice;
    }
    EXPECT_EQ(enumeration, 3);
    EXPECT_EQ(createDevice, 3);
}

TEST(MachineEditor, ApplicationsStartAndStop) {
    ScratchMachine mac("empty");
    MachineEditor editor(mac.machine());
    int pid = editor.startApplication("Premiere Pro", "com.adobe.PremierePro", 85.5, std::nullopt);
    MachineState s = mac.machine().read();
    const ProcessEntry& p = s.processes.back();
    EXPECT_EQ(p.pid, pid);
    EXPECT_TRUE(p.isApplication);
    EXPECT_EQ(p.bundlePath, "/Applications/Premiere Pro.app");
    EXPECT_DOUBLE_EQ(p.cpu, 85.5);
    EXPECT_TRUE(editor.stopApplication("Premiere Pro"));
    EXPECT_FALSE(editor.stopApplication("Premiere Pro"));
}

}  // namespace
}  // namespace velmora::sim
