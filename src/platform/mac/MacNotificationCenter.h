#pragma once
// User notifications through UNUserNotificationCenter. The framework calls
// its completion handlers on threads of its own; each is handed on to one
// serial queue of this object, so completions run off the caller's thread and
// in the order they came, as with the simulated center.
#include <memory>

#include "platform/Notifications.h"

namespace velmora::mac {

class MacNotificationCenter final : public NotificationCenter {
public:
    MacNotificationCenter();
    ~MacNotificationCenter() override;
    MacNotificationCenter(const MacNotificationCenter&) = delete;
    MacNotificationCenter& operator=(const MacNotificationCenter&) = delete;

    void getAuthorizationStatus(std::function<void(NotificationAuthorization)> completion) override;
    void requestAuthorization(std::function<void(bool granted, std::optional<std::string> error)> completion) override;
    void add(const NotificationRequest& request) override;
    std::optional<std::string> unavailableReason() const override;

private:
    struct Queue;
    std::unique_ptr<Queue> queue_;
};

}  // namespace velmora::mac
