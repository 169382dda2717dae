#pragma once
// Property-list texts shaped like `diskutil list -plist` and
// `diskutil info -plist` answers, for scripting diskutil in tests. Written
// by hand (not through the library under test) so a parser fault cannot hide
// behind a matching writer fault.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velmora::testing {

struct DiskPlistFields {
    std::string id;
    std::optional<std::string> mediaName;
    std::optional<std::string> volumeName;
    std::optional<std::string> deviceNode;
    std::optional<std::string> mountPoint;
    std::optional<std::string> filesystemName;
    std::optional<std::string> protocol;
    std::optional<std::string> busProtocol;
    std::optional<std::int64_t> totalSize;
    std::optional<bool> removable;
    std::optional<bool> internal;

    // A typical USB disk with one mounted volume.
    static DiskPlistFields usbDisk(std::string id, std::string volumeName, std::optional<std::string> mountPoint) {
        DiskPlistFields f;
        f.deviceNode = "/dev/" + id;
        f.id = std::move(id);
        f.mediaName = "Generic Flash Disk Media";
        f.volumeName = std::move(volumeName);
        f.mountPoint = std::move(mountPoint);
        f.filesystemName = "ExFAT";
        f.busProtocol = "USB";
        f.totalSize = 64000000000;
        f.removable = true;
        f.internal = false;
        return f;
    }
    static DiskPlistFields internalDisk(std::string id, std::string mediaName) {
        DiskPlistFields f;
        f.deviceNode = "/dev/" + id;
        f.id = std::move(id);
        f.mediaName = std::move(mediaName);
        f.busProtocol = "Apple Fabric";
        f.totalSize = 500000000000;
        f.removable = false;
        f.internal = true;
        return f;
    }
};

inline std::string plistEscaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            default: out += c;
        }
    }
    return out;
}

inline std::string plistDocument(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
           "<plist version=\"1.0\">\n" + body + "</plist>\n";
}

inline std::string diskInfoPlist(const DiskPlistFields& f) {
    std::string body = "<dict>\n";
    auto text = [&](const char* key, const std::optional<std::string>& value) {
        if (value) body += std::string("\t<key>") + key + "</key>\n\t<string>" + plistEscaped(*value) + "</string>\n";
    };
    auto flag = [&](const char* key, const std::optional<bool>& value) {
        if (value) body += std::string("\t<key>") + key + "</key>\n\t" + (*value ? "<true/>" : "<false/>") + "\n";
    };
    text("BusProtocol", f.busProtocol);
    text("DeviceIdentifier", f.id);
    text("DeviceNode", f.deviceNode);
    text("FilesystemName", f.filesystemName);
    flag("Internal", f.internal);
    text("MediaName", f.mediaName);
    text("MountPoint", f.mountPoint);
    text("Protocol", f.protocol);
    flag("Removable", f.removable);
    if (f.totalSize) body += "\t<key>TotalSize</key>\n\t<integer>" + std::to_string(*f.totalSize) + "</integer>\n";
    text("VolumeName", f.volumeName);
    return plistDocument(body + "</dict>\n");
}

inline std::string diskListPlist(const std::vector<std::string>& wholeDisks) {
    std::string body = "<dict>\n\t<key>AllDisks</key>\n\t<array>\n";
    for (const auto& id : wholeDisks) body += "\t\t<string>" + plistEscaped(id) + "</string>\n";
    body += "\t</array>\n\t<key>WholeDisks</key>\n\t<array>\n";
    for (const auto& id : wholeDisks) body += "\t\t<string>" + plistEscaped(id) + "</string>\n";
    return plistDocument(body + "\t</array>\n</dict>\n");
}

}  // namespace velmora::testing
