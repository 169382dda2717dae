#include "sim/tools/DiskLookup.h"

#include "sim/tools/TextFormat.h"

namespace velmora::sim {

namespace {

bool isApfsPartition(const Volume& v) { return text::startsWith(v.content, "Apple_APFS"); }

std::string trimTrailingSlash(std::string_view path) {
    std::string p(path);
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    return p;
}

}  // namespace

bool DiskLookup::isSnapshotOf(const Volume& snapshot, const Volume& volume) {
    const std::string& id = snapshot.identifier;
    const std::string prefix = volume.identifier + "s";
    return id.size() > prefix.size() && text::startsWith(id, prefix) &&
           id.find_first_not_of("0123456789", prefix.size()) == std::string::npos;
}

std::vector<const Volume*> DiskLookup::listingOrder(const Disk& disk) {
    std::vector<const Volume*> ordered;
    auto isSnapshot = [&](const Volume& v) {
        for (const auto& other : disk.volumes) {
            if (&other != &v && isSnapshotOf(v, other)) return true;
        }
        return false;
    };
    for (const auto& volume : disk.volumes) {
        if (isSnapshot(volume)) continue;
        ordered.push_back(&volume);
        for (const auto& other : disk.volumes) {
            if (isSnapshotOf(other, volume)) ordered.push_back(&other);
        }
    }
    return ordered;
}

const Volume* DiskLookup::snapshotOf(const Disk& disk, const Volume& volume) {
    for (const auto& other : disk.volumes) {
        if (isSnapshotOf(other, volume)) return &other;
    }
    return nullptr;
}

bool DiskLookup::carriesOwnFileSystem(const Disk& disk) {
    return disk.volumes.size() == 1 && disk.volumes.front().identifier == disk.identifier;
}

std::string DiskLookup::stripDevicePrefix(std::string_view specifier) {
    std::string s(specifier);
    if (text::startsWith(s, "/dev/r")) return s.substr(6);
    if (text::startsWith(s, "/dev/")) return s.substr(5);
    return s;
}

std::optional<DiskTarget> DiskLookup::find(std::string_view specifier) const {
    if (specifier.empty()) return std::nullopt;
    std::string id = stripDevicePrefix(specifier);
    for (const auto& disk : state_.disks) {
        if (disk.identifier == id) {
            if (carriesOwnFileSystem(disk)) return DiskTarget{&disk, &disk.volumes.front()};
            return DiskTarget{&disk, nullptr};
        }
        for (const auto& volume : disk.volumes) {
            if (volume.identifier == id) return DiskTarget{&disk, &volume};
        }
    }
    if (specifier.front() == '/') {
        std::string path = trimTrailingSlash(specifier);
        for (const auto& disk : state_.disks) {
            for (const auto& volume : disk.volumes) {
                if (volume.mountPoint && trimTrailingSlash(*volume.mountPoint) == path) return DiskTarget{&disk, &volume};
            }
        }
        return std::nullopt;
    }
    for (const auto& disk : state_.disks) {
        for (const auto& volume : disk.volumes) {
            if (!volume.volumeName.empty() && volume.volumeName == specifier) return DiskTarget{&disk, &volume};
        }
    }
    return std::nullopt;
}

std::optional<DiskTarget> DiskLookup::volumeContaining(std::string_view rawPath) const {
    std::string path = trimTrailingSlash(rawPath);
    std::optional<DiskTarget> best;
    std::size_t bestLength = 0;
    for (const auto& disk : state_.disks) {
        for (const auto& volume : disk.volumes) {
            if (!volume.mountPoint) continue;
            std::string mp = trimTrailingSlash(*volume.mountPoint);
            bool inside = path == mp || (text::startsWith(path, mp) && (mp == "/" || path[mp.size()] == '/'));
            if (inside && (!best || mp.size() > bestLength)) {
                best = DiskTarget{&disk, &volume};
                bestLength = mp.size();
            }
        }
    }
    return best;
}

std::string DiskLookup::physicalStoreOf(const Disk& container) const {
    if (!container.synthesized) return "";
    // A container and its store have the same size; when several match, the
    // containers take the stores in order.
    std::size_t containerIndex = 0;
    for (const auto& disk : state_.disks) {
        if (&disk == &container) break;
        if (disk.synthesized && disk.size == container.size) ++containerIndex;
    }
    std::size_t seen = 0;
    for (const auto& disk : state_.disks) {
        if (disk.synthesized) continue;
        for (const auto& volume : disk.volumes) {
            if (isApfsPartition(volume) && volume.size == container.size) {
                if (seen == containerIndex) return volume.identifier;
                ++seen;
            }
        }
    }
    return "";
}

const Disk* DiskLookup::containerStoredIn(const Volume& partition) const {
    if (!isApfsPartition(partition)) return nullptr;
    for (const auto& disk : state_.disks) {
        if (disk.synthesized && physicalStoreOf(disk) == partition.identifier) return &disk;
    }
    return nullptr;
}

Volume* findVolume(MachineState& state, std::string_view identifier) {
    for (auto& disk : state.disks) {
        for (auto& volume : disk.volumes) {
            if (volume.identifier == identifier) return &volume;
        }
    }
    return nullptr;
}

Disk* findDisk(MachineState& state, std::string_view identifier) {
    for (auto& disk : state.disks) {
        if (disk.identifier == identifier) return &disk;
    }
    return nullptr;
}

}  // namespace velmora::sim
