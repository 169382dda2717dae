#pragma once
// A published value: written on the main thread only, observers told before
// the value is stored (willChange), readable from any thread as a consistent
// snapshot.
#include <functional>
#include <mutex>
#include <utility>
#include <vector>

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
    // argument and the old one through get()), then the value is stored.
    void set(T newValue) {
        std::vector<Observer> observers;
        {
            std::lock_guard lock(mutex_);
            observers = observers_;
        }
        for (auto& observer : observers) observer(newValue);
        std::lock_guard lock(mutex_);
        value_ = std::move(newValue);
    }
    // Main thread only: read-modify-write.
    template <typename F>
    void modify(F&& change) {
        T copy = get();
        change(copy);
        set(std::move(copy));
    }
    void observe(Observer observer) {
        std::lock_guard lock(mutex_);
        observers_.push_back(std::move(observer));
    }

private:
    mutable std::mutex mutex_;
    T value_{};
    std::vector<Observer> observers_;
};

}  // namespace velmora
