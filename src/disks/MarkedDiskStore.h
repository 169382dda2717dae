#pragma once
// The persisted list of disks the user marked as internal ("MarkedAsInternalDisks",
// a list of disk identifiers) with a 30-second read cache. Loading happens on
// the monitor's queue and saving on the main thread; one mutex spans each whole
// load and save, so a load can never put a list read before a save back into
// the cache after that save cleared it.
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "disks/DiskInfo.h"
#include "platform/Platform.h"

namespace velmora {

class MarkedDiskStore {
public:
    static constexpr const char* defaultsKey = "MarkedAsInternalDisks";
    static constexpr double cacheLifetimeSeconds = 30.0;

    explicit MarkedDiskStore(Platform platform);

    // Identifiers of the marked disks, from the cache while it is fresh.
    std::set<std::string> load();
    // Rewrites the stored list: the marked disks among `connectedDisks` in
    // their order, then the stored identifiers of disks that are not
    // connected now (their marks cannot be re-read while they are away, so
    // they are kept rather than forgotten). Drops the cache.
    void save(const std::vector<DiskInfo>& connectedDisks);

    // An identifier list printed as a bracketed, quoted, comma-separated list.
    static std::string printed(const std::vector<std::string>& identifiers);

private:
    Platform platform_;
    std::mutex mutex_;
    std::optional<std::set<std::string>> cachedMarkedDisks_;
    std::optional<Date> lastMarkedDisksLoadTime_;
};

}  // namespace velmora
