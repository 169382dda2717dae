#include "sim/state/VolumeContents.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "foundation/plist/PlistXmlWriter.h"

namespace velmora::sim {

namespace {

std::vector<std::string> components(const std::string& relative) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= relative.size()) {
        std::size_t slash = relative.find('/', start);
        if (slash == std::string::npos) slash = relative.size();
        std::string part = relative.substr(start, slash - start);
        if (part == "..") throw MachineError("a folder on the volume may not contain \"..\": " + relative);
        if (!part.empty() && part != ".") parts.push_back(std::move(part));
        start = slash + 1;
    }
    return parts;
}

void makeFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) {
        throw MachineError("cannot create " + path + ": " + std::strerror(errno));
    }
}

void writeFile(const std::string& path, const std::string& content, mode_t mode) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW, mode);
    if (fd < 0) throw MachineError("cannot write " + path + ": " + std::strerror(errno));
    const ssize_t written = ::write(fd, content.data(), content.size());
    ::close(fd);
    if (written != static_cast<ssize_t>(content.size())) throw MachineError("cannot write " + path);
}

}  // namespace

std::string VolumeContents::folderOn(const std::string& volumeIdentifier, const std::string& subfolder) {
    const MachineState state = machine_.read();
    std::optional<std::string> mountPoint;
    for (const auto& disk : state.disks) {
        for (const auto& volume : disk.volumes) {
            const bool named = volume.identifier == volumeIdentifier ||
                               (disk.identifier == volumeIdentifier && volume.content != "EFI");
            if (named && volume.mountPoint) mountPoint = volume.mountPoint;
            if (mountPoint) break;
        }
        if (mountPoint) break;
    }
    if (!mountPoint) throw MachineError("no mounted volume " + volumeIdentifier);
    // Only folders the simulator made may be written: a scenario's system
    // volume ("/") is the host's root.
    if (mountPoint->compare(0, machine_.volumesFolder().size() + 1, machine_.volumesFolder() + "/") != 0) {
        throw MachineError("the volume " + volumeIdentifier + " is not mounted inside the machine folder");
    }
    std::string folder = *mountPoint;
    for (const auto& part : components(subfolder)) {
        folder += "/" + part;
        makeFolder(folder);
    }
    return folder;
}

std::string VolumeContents::addBundle(const std::string& volumeIdentifier, const std::string& bundleName,
                                      const std::string& subfolder) {
    const std::string suffix = ".app";
    if (bundleName.size() <= suffix.size() || bundleName.compare(bundleName.size() - suffix.size(), suffix.size(), suffix) != 0 ||
        bundleName.find('/') != std::string::npos) {
        throw MachineError("a bundle name is NAME.app without \"/\": " + bundleName);
    }
    const std::string bundle = folderOn(volumeIdentifier, subfolder) + "/" + bundleName;
    const std::string executable = bundleName.substr(0, bundleName.size() - suffix.size());
    makeFolder(bundle);
    makeFolder(bundle + "/Contents");
    makeFolder(bundle + "/Contents/MacOS");
    writeFile(bundle + "/Contents/Info.plist",
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
              "<plist version=\"1.0\">\n<dict>\n"
              "\t<key>CFBundleExecutable</key>\n\t<string>" + PlistXmlWriter::escaped(executable) + "</string>\n"
              "\t<key>CFBundlePackageType</key>\n\t<string>APPL</string>\n"
              "</dict>\n</plist>\n",
              0644);
    writeFile(bundle + "/Contents/MacOS/" + executable, "#!/bin/sh\nexit 0\n", 0755);
    return bundle;
}

std::string VolumeContents::addLinkLoop(const std::string& volumeIdentifier, const std::string& subfolder) {
    const std::string link = folderOn(volumeIdentifier, subfolder) + "/Loop";
    const char* target = components(subfolder).empty() ? "." : "..";
    ::unlink(link.c_str());
    if (::symlink(target, link.c_str()) != 0) throw MachineError("cannot link " + link + ": " + std::strerror(errno));
    return link;
}

}  // namespace velmora::sim
