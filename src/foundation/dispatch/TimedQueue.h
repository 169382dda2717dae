#pragma once
// Work ordered by the time it is due; work due at the same time keeps the
// order it was added in (a sequence number breaks ties). Not synchronised:
// each owner guards it with its own lock or keeps it on one thread.
#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace velmora {

template <class TimePoint, class Item>
class TimedQueue {
public:
    using Key = std::pair<TimePoint, std::uint64_t>;

    Key push(TimePoint at, Item item) {
        Key key{at, nextSequence_++};
        items_.emplace(key, std::move(item));
        return key;
    }

    std::optional<TimePoint> nextTime() const {
        if (items_.empty()) return std::nullopt;
        return items_.begin()->first.first;
    }

    // Removes the earliest item if it is due at or before `limit` and was
    // added before `sequenceLimit` (work added later waits for the next round).
    std::optional<std::pair<Key, Item>> popDue(TimePoint limit, std::uint64_t sequenceLimit = std::numeric_limits<std::uint64_t>::max()) {
        if (items_.empty()) return std::nullopt;
        auto first = items_.begin();
        if (first->first.first > limit || first->first.second >= sequenceLimit) return std::nullopt;
        std::pair<Key, Item> popped{first->first, std::move(first->second)};
        items_.erase(first);
        return popped;
    }

    // Like popDue, but takes the earliest due item that `eligible` accepts.
    template <class Eligible>
    std::optional<std::pair<Key, Item>> popDueIf(TimePoint limit, Eligible eligible) {
        for (auto it = items_.begin(); it != items_.end() && !(it->first.first > limit); ++it) {
            if (!eligible(it->second)) continue;
            std::pair<Key, Item> popped{it->first, std::move(it->second)};
            items_.erase(it);
            return popped;
        }
        return std::nullopt;
    }

    template <class Matches>
    std::size_t countIf(Matches matches) const {
        std::size_t count = 0;
        for (const auto& entry : items_) count += matches(entry.second) ? 1 : 0;
        return count;
    }

    // Hands the item back so the caller can destroy it outside its lock.
    std::optional<Item> erase(const Key& key) {
        auto found = items_.find(key);
        if (found == items_.end()) return std::nullopt;
        Item item = std::move(found->second);
        items_.erase(found);
        return item;
    }

    std::vector<Item> takeAll() {
        std::vector<Item> all;
        all.reserve(items_.size());
        for (auto& entry : items_) all.push_back(std::move(entry.second));
        items_.clear();
        return all;
    }

    std::size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    std::uint64_t nextSequence() const { return nextSequence_; }

private:
    std::map<Key, Item> items_;
    std::uint64_t nextSequence_ = 0;
};

}  // namespace velmora
