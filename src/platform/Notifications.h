#pragma once
// User notifications (UNUserNotificationCenter).
#include <functional>
#include <optional>
#include <string>

namespace velmora {

enum class NotificationAuthorization { notDetermined, denied, authorized, provisional, ephemeral };

struct NotificationRequest {
    std::string identifier;
    std::string title;
    std::string body;
    bool defaultSound = true;
};

class NotificationCenter {
public:
    virtual ~NotificationCenter() = default;
    // Completion runs on a background queue.
    virtual void getAuthorizationStatus(std::function<void(NotificationAuthorization)> completion) = 0;
    // Alerts, badges and sounds. Completion: granted, optional error description.
    virtual void requestAuthorization(std::function<void(bool granted, std::optional<std::string> error)> completion) = 0;
    virtual void add(const NotificationRequest& request) = 0;
    // Why this process cannot use the centre at all (outside its application
    // bundle, or a build without a developer signature); absent when it can.
    virtual std::optional<std::string> unavailableReason() const { return std::nullopt; }
};

}  // namespace velmora
