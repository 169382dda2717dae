#pragma once
// A published value: written on the main thread only, readable from any
// thread as a consistent snapshot. Observers are told before the value is
// stored (willChange, what the managers use); subscribers after it (what a
// view follows), for as long as they keep their handle.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "foundation/published/Subscription.h"

namespace velmora {

template <typename T>
class Published {
public:
    using Observer = std::function<void(const T& newValue)>;

    Published() = default;
    explicit Published(T initial) : value_(std::move(initial)) {}
    Published(const Published&) = delete;
    Published& operator=(const Published&) = delete;

    T get() const {
        std::lock_guard lock(mutex_);
        return value_;
    }
    // Main thread only. Observers run first (they see the new value as an
    // argument and the old one through get()), then the value is stored,
    // then subscribers run with the stored value.
    void set(T newValue) {
        std::vector<Observer> observers;
        {
            std::lock_guard lock(mutex_);
            observers = observers_;
        }
        for (auto& observer : observers) observer(newValue);
        {
            std::lock_guard lock(mutex_);
            value_ = std::move(newValue);
        }
        // Held here: a subscriber may destroy this value.
        const auto subscribers = subscribers_;
        subscribers->notify(*this);
    }
    // Main thread only: read-modify-write.
    template <typename F>
    void modify(F&& change) {
        T copy = get();
        change(copy);
        set(std::move(copy));
    }
    // Before-store observation, for the life of this value.
    void observe(Observer observer) {
        std::lock_guard lock(mutex_);
        observers_.push_back(std::move(observer));
    }
    // After-store notification until the handle is dropped. A handle dropped
    // on the main thread is never called again, not even later in a round
    // that is under way.
    Subscription subscribe(Observer subscriber) {
        return subscribers_->add(std::move(subscriber));
    }

private:
    // Shared with the handles, so either side may go first.
    class Subscribers : public std::enable_shared_from_this<Subscribers> {
    public:
        Subscription add(Observer subscriber) {
            std::lock_guard lock(mutex_);
            const std::uint64_t id = nextId_++;
            entries_.emplace(id, std::make_shared<Observer>(std::move(subscriber)));
            return Subscription([weak = this->weak_from_this(), id] {
                if (auto self = weak.lock()) self->remove(id);
            });
        }
        void notify(const Published& owner) {
            std::vector<std::pair<std::uint64_t, std::shared_ptr<Observer>>> round;
            {
                std::lock_guard lock(mutex_);
                if (entries_.empty()) return;
                round.assign(entries_.begin(), entries_.end());
            }
            const T value = owner.get();
            for (const auto& [id, subscriber] : round) {
                if (isActive(id)) (*subscriber)(value);
            }
        }

    private:
        void remove(std::uint64_t id) {
            std::shared_ptr<Observer> removed;  // destroyed after the unlock
            std::lock_guard lock(mutex_);
            if (auto it = entries_.find(id); it != entries_.end()) {
                removed = std::move(it->second);
                entries_.erase(it);
            }
        }
        bool isActive(std::uint64_t id) const {
            std::lock_guard lock(mutex_);
            return entries_.count(id) != 0;
        }

        mutable std::mutex mutex_;
        std::uint64_t nextId_ = 0;
        std::map<std::uint64_t, std::shared_ptr<Observer>> entries_;
    };

    mutable std::mutex mutex_;
    T value_{};
    std::vector<Observer> observers_;
    std::shared_ptr<Subscribers> subscribers_ = std::make_shared<Subscribers>();
};

}  // namespace velmora
