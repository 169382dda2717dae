#pragma once
// Every notification takes exactly one path: the system's notification
// centre where this process may use it, otherwise the front end's own (the
// menu-bar item's message) when it has one. Posting to both would show each
// event twice.
#include <functional>
#include <memory>

#include "platform/Notifications.h"

namespace velmora {

class NotificationPath final : public NotificationCenter {
public:
    using Fallback = std::function<void(const NotificationRequest&)>;

    // `fallback` may be empty: a front end without a menu-bar item has none.
    NotificationPath(std::shared_ptr<NotificationCenter> system, Fallback fallback)
        : system_(std::move(system)), fallback_(std::move(fallback)) {}

    void getAuthorizationStatus(std::function<void(NotificationAuthorization)> completion) override {
        system_->getAuthorizationStatus(std::move(completion));
    }
    void requestAuthorization(std::function<void(bool, std::optional<std::string>)> completion) override {
        system_->requestAuthorization(std::move(completion));
    }
    void add(const NotificationRequest& request) override;
    // The system centre's reason, and where notifications go instead.
    std::optional<std::string> unavailableReason() const override;

private:
    std::shared_ptr<NotificationCenter> system_;
    Fallback fallback_;
};

}  // namespace velmora
