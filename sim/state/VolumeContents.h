#pragma once
// Files put on a mounted volume of a live machine: application bundles and a
// symbolic-link loop. Everything is made inside the volume's mount folder; a
// name or folder that would lead out of it is refused with MachineError.
#include <string>

#include "sim/state/Machine.h"

namespace velmora::sim {

class VolumeContents {
public:
    explicit VolumeContents(Machine& machine) : machine_(machine) {}

    // Makes SUBDIR/NAME.app with an Info.plist and an executable under the
    // volume's mount point (SUBDIR relative, made when missing, "" for the
    // root); returns the bundle's path.
    std::string addBundle(const std::string& volumeIdentifier, const std::string& bundleName,
                          const std::string& subfolder = "");
    // Makes SUBDIR/Loop, a symbolic link to the folder that holds SUBDIR (to
    // itself at the root), so following links never ends; returns its path.
    std::string addLinkLoop(const std::string& volumeIdentifier, const std::string& subfolder = "");

private:
    std::string folderOn(const std::string& volumeIdentifier, const std::string& subfolder);
    Machine& machine_;
};

}  // namespace velmora::sim
