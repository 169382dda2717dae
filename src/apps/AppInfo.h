#pragma once
// One running regular application: its bundle, and the disks it depends on
// (the device column df prints for the bundle, then for the process's working
// directory). A value; two scans of one application compare equal only when
// nothing about it changed.
#include <optional>
#include <string>
#include <vector>

#include "foundation/Date.h"

namespace velmora {

struct AppInfo {
    std::string bundleIdentifier;                 // "unknown" when the system reports none
    std::string name;                             // "Unknown" when the system reports none
    std::string path;                             // empty when the bundle location is unknown
    bool isRunning = true;
    std::vector<std::string> diskDependencies;    // duplicates kept
    std::optional<Date> launchDate;

    bool operator==(const AppInfo& other) const = default;

    // The same launch of the same application, whatever its disks are now.
    bool isSameLaunch(const AppInfo& other) const {
        return bundleIdentifier == other.bundleIdentifier && path == other.path && launchDate == other.launchDate;
    }
};

}  // namespace velmora
