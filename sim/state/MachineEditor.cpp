#include "sim/state/MachineEditor.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "sim/state/ToolTree.h"

namespace velmora::sim {

namespace {

struct BridgeModel {
    const char* bridge;
    const char* product;
    const char* vendor;
    int vendorId;
    int productId;
};

const BridgeModel kBridges[] = {
    {"RTL9210B-CG", "RTL9210B-CG", "Realtek", 0x0bda, 0x9210},
    {"RTL9210", "RTL9210", "Realtek", 0x0bda, 0x9210},
    {"ASM1153E", "ASM1153E", "ASMedia", 0x174c, 0x55aa},
    {"JMS567", "JMS567", "JMicron", 0x152d, 0x0567},
    {"NONE", "USB Mass Storage", "Generic", 0x058f, 0x6387},
};

const BridgeModel* findBridge(const std::string& bridge) {
    for (const auto& model : kBridges) {
        if (bridge == model.bridge) return &model;
    }
    return nullptr;
}

struct FileSystemModel {
    const char* option;
    const char* name;
    const char* type;
    const char* partition;
    bool journaled;
};

const FileSystemModel kFileSystems[] = {
    {"APFS", "APFS", "apfs", "Apple_APFS", true},
    {"ExFAT", "ExFAT", "exfat", "Microsoft Basic Data", false},
    {"MS-DOS", "MS-DOS FAT32", "msdos", "Microsoft Basic Data", false},
    {"HFS+", "Mac OS Extended (Journaled)", "hfs", "Apple_HFS", true},
};

const FileSystemModel* findFileSystem(const std::string& option) {
    for (const auto& model : kFileSystems) {
        if (option == model.option) return &model;
    }
    return nullptr;
}

constexpr std::int64_t kEfiSize = 209715200;

std::string hex4(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04x", value & 0xffff);
    return text;
}

std::string hex8(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%08x", value);
    return text;
}

// A folder name as macOS makes it from a volume name: "/" cannot appear in a
// path component and becomes ":"; an empty or dot name becomes "Untitled".
std::string folderNameFor(const std::string& volumeName) {
    std::string name = volumeName;
    std::replace(name.begin(), name.end(), '/', ':');
    if (name.empty() || name == "." || name == "..") name = "Untitled";
    return name;
}

bool pathExists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

bool mountPointInUse(const MachineState& state, const std::string& path) {
    for (const auto& disk : state.disks) {
        for (const auto& volume : disk.volumes) {
            if (volume.mountPoint == path) return true;
        }
    }
    return false;
}

// Mounts into DIR/Volumes/<name>, or "<name> 1", "<name> 2", … when taken.
std::string mountVolume(const Machine& machine, const MachineState& state, Volume& volume) {
    std::string folder = machine.volumesFolder();
    if (::mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) {
        throw MachineError("cannot create " + folder + ": " + std::strerror(errno));
    }
    std::string base = folderNameFor(volume.volumeName);
    std::string candidate = folder + "/" + base;
    for (int n = 1; pathExists(candidate) || mountPointInUse(state, candidate); ++n) {
        candidate = folder + "/" + base + " " + std::to_string(n);
    }
    if (::mkdir(candidate.c_str(), 0755) != 0) {
        throw MachineError("cannot create " + candidate + ": " + std::strerror(errno));
    }
    volume.mountPoint = candidate;
    return candidate;
}

// Removes a mount folder only when the simulator made it: inside
// DIR/Volumes and empty (rmdir refuses anything else).
void releaseMountFolder(const Machine& machine, Volume& volume) {
    if (!volume.mountPoint) return;
    const std::string prefix = machine.volumesFolder() + "/";
    if (volume.mountPoint->compare(0, prefix.size(), prefix) == 0 &&
        volume.mountPoint->find('/', prefix.size()) == std::string::npos) {
        ::rmdir(volume.mountPoint->c_str());
    }
    volume.mountPoint.reset();
}

Disk* findDisk(MachineState& state, const std::string& identifier) {
    for (auto& disk : state.disks) {
        if (disk.identifier == identifier) return &disk;
    }
    return nullptr;
}

// The volume named by a volume identifier, or the first volume with a file
// system of the whole disk named.
Volume* findVolume(MachineState& state, const std::string& identifier) {
    for (auto& disk : state.disks) {
        for (auto& volume : disk.volumes) {
            if (volume.identifier == identifier) return &volume;
        }
    }
    if (Disk* disk = findDisk(state, identifier)) {
        for (auto& volume : disk->volumes) {
            if (!volume.fileSystemType.empty() && volume.content != "EFI") return &volume;
        }
    }
    return nullptr;
}

UsbDevice* findUsbDevice(MachineState& state, const std::string& key) {
    for (auto& device : state.usbDevices) {
        if (device.key == key) return &device;
    }
    return nullptr;
}

LogEntry kernelLine(double time, const std::string& message) {
    LogEntry entry;
    entry.time = time;
    entry.process = "kernel";
    entry.pid = 0;
    entry.message = message;
    return entry;
}

}  // namespace

bool MachineEditor::isKnownBridge(const std::string& bridge) { return findBridge(bridge) != nullptr; }
bool MachineEditor::isKnownFileSystem(const std::string& fileSystem) { return findFileSystem(fileSystem) != nullptr; }

std::string MachineEditor::plug(const PlugOptions& options) {
    const BridgeModel* bridge = findBridge(options.bridge);
    if (!bridge) throw MachineError("unknown bridge: " + options.bridge);
    const FileSystemModel* fs = findFileSystem(options.fileSystem);
    if (!fs) throw MachineError("unknown file system: " + options.fileSystem);
    if (options.size < 2 * kEfiSize) throw MachineError("the disk is too small");

    return machine_.update([&](MachineState& state) {
        UsbDevice device;
        device.address = state.nextUsbAddress++;
        device.key = "usb-" + std::to_string(device.address);
        device.productName = options.productName.value_or(bridge->product);
        device.vendorName = bridge->vendor;
        device.vendorId = bridge->vendorId;
        device.productId = bridge->productId;
        device.locationId = 0x00100000u + static_cast<std::uint32_t>(device.address) * 0x1000u;
        device.bridge = options.bridge == "NONE" ? "" : options.bridge;
        device.serialNumber = "0000000000" + std::to_string(1000 + device.address);

        Disk disk;
        disk.identifier = "disk" + std::to_string(state.nextDiskNumber++);
        disk.mediaName = options.mediaName;
        disk.size = options.size;
        disk.removable = false;
        disk.ejectable = true;
        disk.protocol = "USB";
        disk.busProtocol = "USB";
        disk.content = "GUID_partition_scheme";
        disk.usbDevice = device.key;

        Volume efi;
        efi.identifier = disk.identifier + "s1";
        efi.volumeName = "EFI";
        efi.content = "EFI";
        efi.fileSystemName = "MS-DOS FAT32";
        efi.fileSystemType = "msdos";
        efi.size = kEfiSize;
        disk.volumes.push_back(efi);

        Volume data;
        data.identifier = disk.identifier + "s2";
        data.content = fs->partition;
        data.size = options.size - kEfiSize - 1048576;
        std::string volumeName = options.volumeName.empty() ? options.mediaName : options.volumeName;

        std::vector<Disk> added;
        if (std::string(fs->type) == "apfs") {
            // The partition holds an APFS container, which macOS shows as a
            // synthesized whole disk of its own carrying the volume.
            Disk container;
            container.identifier = "disk" + std::to_string(state.nextDiskNumber++);
            container.mediaName = "AppleAPFSMedia";
            container.size = data.size;
            container.ejectable = true;
            container.protocol = "USB";
            container.busProtocol = "USB";
            container.virtualOrPhysical = "Virtual";
            container.content = "EF57347C-0000-11AA-AA11-00306543ECAC";
            container.synthesized = true;
            container.usbDevice = device.key;
            Volume volume;
            volume.identifier = container.identifier + "s1";
            volume.volumeName = volumeName;
            volume.content = "41504653-0000-11AA-AA11-00306543ECAC";
            volume.fileSystemName = fs->name;
            volume.fileSystemType = fs->type;
            volume.size = data.size;
            volume.journaled = fs->journaled;
            mountVolume(machine_, state, volume);
            container.volumes.push_back(volume);
            disk.volumes.push_back(data);
            added.push_back(disk);
            added.push_back(container);
        } else {
            data.volumeName = volumeName;
            data.fileSystemName = fs->name;
            data.fileSystemType = fs->type;
            data.journaled = fs->journaled;
            mountVolume(machine_, state, data);
            disk.volumes.push_back(data);
            added.push_back(disk);
        }

        state.usbDevices.push_back(device);
        state.log.push_back(kernelLine(clock_(), "USBMSC Identifier (non-unique): " + device.serialNumber + " " +
                                       hex4(device.vendorId) + " " + hex4(device.productId) + " 0x100, 3"));
        state.log.push_back(kernelLine(clock_(), "AppleUSBHostPort@" + hex8(device.locationId) +
                                       ": AppleUSBHostPort::attach: " + device.productName + " attached at address " +
                                       std::to_string(device.address)));
        for (auto& d : added) state.disks.push_back(std::move(d));
        return state.disks[state.disks.size() - added.size()].identifier;
    });
}

std::string MachineEditor::attachImage(const std::string& volumeName, std::int64_t size) {
    if (size <= 0) throw MachineError("the image is too small");
    return machine_.update([&](MachineState& state) {
        Disk image;
        image.identifier = "disk" + std::to_string(state.nextDiskNumber++);
        image.mediaName = "Disk Image";
        image.size = size;
        image.removable = true;
        image.ejectable = true;
        image.protocol = "Disk Image";
        image.busProtocol = "Disk Image";
        image.virtualOrPhysical = "Virtual";
        image.content = "GUID_partition_scheme";
        Volume volume;
        volume.identifier = image.identifier + "s1";
        volume.volumeName = volumeName;
        volume.content = "Apple_HFS";
        volume.fileSystemName = "Mac OS Extended (Journaled)";
        volume.fileSystemType = "hfs";
        volume.size = size - 20480;
        volume.journaled = true;
        volume.quarantined = true;  // downloaded images carry the quarantine attribute
        mountVolume(machine_, state, volume);
        image.volumes.push_back(volume);
        state.disks.push_back(image);
        return image.identifier;
    });
}

void MachineEditor::unplug(const std::string& identifier) {
    machine_.update([&](MachineState& state) {
        Disk* disk = findDisk(state, identifier);
        if (!disk) throw MachineError("no such disk: " + identifier);
        std::string key = disk->usbDevice;
        auto behind = [&](const Disk& d) { return key.empty() ? d.identifier == identifier : d.usbDevice == key; };
        for (auto& d : state.disks) {
            if (!behind(d)) continue;
            for (auto& volume : d.volumes) releaseMountFolder(machine_, volume);
        }
        state.disks.erase(std::remove_if(state.disks.begin(), state.disks.end(), behind), state.disks.end());
        if (UsbDevice* device = key.empty() ? nullptr : findUsbDevice(state, key)) {
            state.log.push_back(kernelLine(clock_(), "AppleUSBHostPort@" + hex8(device->locationId) +
                                           ": AppleUSBHostPort::disconnect: " + device->productName +
                                           " detached from address " + std::to_string(device->address)));
            state.usbDevices.erase(std::remove_if(state.usbDevices.begin(), state.usbDevices.end(),
                                                  [&](const UsbDevice& u) { return u.key == key; }),
                                   state.usbDevices.end());
        }
    });
}

std::string MachineEditor::mount(const std::string& identifier) {
    return machine_.update([&](MachineState& state) {
        Volume* volume = findVolume(state, identifier);
        if (!volume || volume->fileSystemType.empty()) throw MachineError("no mountable volume: " + identifier);
        if (volume->mountPoint) return *volume->mountPoint;
        return mountVolume(machine_, state, *volume);
    });
}

void MachineEditor::unmount(const std::string& identifier) {
    machine_.update([&](MachineState& state) {
        Volume* volume = findVolume(state, identifier);
        if (!volume) throw MachineError("no such volume: " + identifier);
        releaseMountFolder(machine_, *volume);
    });
}

void MachineEditor::appendLog(const std::string& message, const std::string& process, int pid) {
    machine_.update([&](MachineState& state) {
        LogEntry entry = kernelLine(clock_(), message);
        entry.process = process;
        entry.pid = pid;
        state.log.push_back(std::move(entry));
    });
}

void MachineEditor::addEnumerationFailures(int count, const std::string& name) {
    machine_.update([&](MachineState& state) {
        for (int i = 0; i < count; ++i) {
            std::string subject = name.empty() ? std::string() : " " + name;
            state.log.push_back(kernelLine(clock_(),
                "AppleUSB20HubPort@14420000: AppleUSBHostPort::disconnect: persistent enumeration failures" + subject));
            state.log.push_back(kernelLine(clock_(), "AppleUSB20HubPort@14420000: AppleUSBHostPort::createDevice: failed to create device" +
                                           subject));
        }
    });
}

int MachineEditor::startApplication(const std::string& name, const std::string& bundleIdentifier, double cpu,
                                    const std::optional<std::string>& bundlePath) {
    AppStartOptions options;
    options.name = name;
    options.bundleIdentifier = bundleIdentifier;
    options.cpu = cpu;
    options.bundlePath = bundlePath;
    return startApplication(options);
}

int MachineEditor::startApplication(const AppStartOptions& options) {
    if (options.workingDirectory && (options.workingDirectory->empty() || (*options.workingDirectory)[0] != '/')) {
        throw MachineError("the working directory must be an absolute path: " + *options.workingDirectory);
    }
    if (options.activationPolicy < 0 || options.activationPolicy > 2) throw MachineError("unknown activation policy");
    if (!(options.launchedSecondsAgo >= 0)) throw MachineError("the launch lies in the future");
    return machine_.update([&](MachineState& state) {
        ProcessEntry process;
        process.pid = state.nextPid++;
        process.name = options.name;
        std::string path = options.bundlePath.value_or("/Applications/" + options.name + ".app");
        process.command = path + "/Contents/MacOS/" + options.name;
        process.cpu = options.cpu;
        process.memoryMB = 150;
        process.isApplication = true;
        process.bundleIdentifier = options.bundleIdentifier;
        process.localizedName = options.name;
        process.bundlePath = path;
        process.activationPolicy = options.activationPolicy;
        process.launchTime = clock_() - options.launchedSecondsAgo;
        process.workingDirectory = options.workingDirectory;
        state.processes.push_back(process);
        return process.pid;
    });
}

bool MachineEditor::stopApplication(const std::string& name) {
    return machine_.update([&](MachineState& state) {
        auto before = state.processes.size();
        state.processes.erase(std::remove_if(state.processes.begin(), state.processes.end(),
                                             [&](const ProcessEntry& p) {
                                                 return p.name == name || p.localizedName == name;
                                             }),
                              state.processes.end());
        return state.processes.size() != before;
    });
}

void MachineEditor::setToolFault(const std::string& tool, ToolFault fault) {
    if (!ToolTree::isKnownTool(tool)) throw MachineError("unknown tool: " + tool);
    machine_.update([&](MachineState& state) {
        ToolFault previous = state.toolFaults.count(tool) ? state.toolFaults[tool] : ToolFault::none;
        if (previous == ToolFault::missing && fault != ToolFault::missing) {
            ToolTree::restoreTool(machine_.directory(), tool);
        }
        if (fault == ToolFault::missing) ToolTree::removeTool(machine_.directory(), tool);
        if (fault == ToolFault::none) {
            state.toolFaults.erase(tool);
        } else {
            state.toolFaults[tool] = fault;
        }
        if (fault != ToolFault::slow) state.toolSlowSeconds.erase(tool);
    });
}

void MachineEditor::setToolSlow(const std::string& tool, double seconds) {
    if (!(seconds > 0 && seconds <= maximumSlowSeconds)) throw MachineError("not a delay in seconds: " + std::to_string(seconds));
    if (!ToolTree::isKnownTool(tool)) throw MachineError("unknown tool: " + tool);
    // The delay first: a run in between still sees the old fault, never a slow one without its delay.
    machine_.update([&](MachineState& state) { state.toolSlowSeconds[tool] = seconds; });
    setToolFault(tool, ToolFault::slow);
}

void MachineEditor::setUsbFault(const std::string& diskIdentifier, UsbFault fault) {
    machine_.update([&](MachineState& state) {
        Disk* disk = findDisk(state, diskIdentifier);
        UsbDevice* device = disk ? findUsbDevice(state, disk->usbDevice) : nullptr;
        if (!device) throw MachineError("no USB device behind " + diskIdentifier);
        auto& extra = device->extraProperties;
        extra.erase(std::remove_if(extra.begin(), extra.end(),
                                   [](const std::string& line) { return line.rfind("RTL9210 ", 0) == 0; }),
                    extra.end());
        if (fault == UsbFault::timeout) extra.push_back("RTL9210 timeout");
        if (fault == UsbFault::error) extra.push_back("RTL9210 error");
    });
}

void MachineEditor::setVanishesOnInfo(const std::string& diskIdentifier, bool vanishes) {
    machine_.update([&](MachineState& state) {
        Disk* disk = findDisk(state, diskIdentifier);
        if (!disk) throw MachineError("no such disk: " + diskIdentifier);
        disk->vanishesOnInfo = vanishes;
    });
}

}  // namespace velmora::sim
