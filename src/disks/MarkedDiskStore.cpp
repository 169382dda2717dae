#include "disks/MarkedDiskStore.h"

#include <algorithm>
#include <utility>

namespace velmora {

MarkedDiskStore::MarkedDiskStore(Platform platform) : platform_(std::move(platform)) {}

std::set<std::string> MarkedDiskStore::load() {
    std::lock_guard lock(mutex_);
    const Date now = platform_.scheduler->now();
    if (cachedMarkedDisks_ && lastMarkedDisksLoadTime_ &&
        secondsBetween(*lastMarkedDisksLoadTime_, now) < cacheLifetimeSeconds) {
        return *cachedMarkedDisks_;
    }
    const std::vector<std::string> stored = platform_.defaults->stringList(defaultsKey).value_or(std::vector<std::string>{});
    if (!stored.empty()) platform_.diagnostics->line("📁 Marked disks cache yenilendi: " + printed(stored));
    cachedMarkedDisks_ = std::set<std::string>(stored.begin(), stored.end());
    lastMarkedDisksLoadTime_ = now;
    return *cachedMarkedDisks_;
}

void MarkedDiskStore::save(const std::vector<DiskInfo>& connectedDisks) {
    std::lock_guard lock(mutex_);
    std::vector<std::string> marked;
    std::set<std::string> connected;
    for (const auto& disk : connectedDisks) {
        connected.insert(disk.id);
        if (disk.isMarkedAsInternal && std::find(marked.begin(), marked.end(), disk.id) == marked.end()) {
            marked.push_back(disk.id);
        }
    }
    for (const auto& identifier : platform_.defaults->stringList(defaultsKey).value_or(std::vector<std::string>{})) {
        if (!connected.count(identifier) && std::find(marked.begin(), marked.end(), identifier) == marked.end()) {
            marked.push_back(identifier);
        }
    }
    platform_.defaults->setStringList(defaultsKey, marked);
    cachedMarkedDisks_.reset();
    lastMarkedDisksLoadTime_.reset();
    platform_.diagnostics->line("💾 Marked disks saved: " + printed(marked));
}

std::string MarkedDiskStore::printed(const std::vector<std::string>& identifiers) {
    std::string text = "[";
    for (std::size_t i = 0; i < identifiers.size(); ++i) {
        if (i > 0) text += ", ";
        text += '"';
        for (char c : identifiers[i]) {
            switch (c) {
                case '"': text += "\\\""; break;
                case '\\': text += "\\\\"; break;
                case '\n': text += "\\n"; break;
                case '\r': text += "\\r"; break;
                case '\t': text += "\\t"; break;
                default: text += c;
            }
        }
        text += '"';
    }
    return text + "]";
}

}  // namespace velmora
