#pragma once
// The program's user notifications: the permission asked at most once per
// defaults domain, and immediate notifications with the default sound.
#include <string>

#include "platform/Platform.h"

namespace velmora {

inline constexpr const char* notificationPermissionRequestedKey = "NotificationPermissionRequested";

// Main thread; completes asynchronously (the status on the notification
// center's queue, a request's answer on the main thread).
void requestNotificationPermission(const Platform& platform);

// Any thread. A fresh UUID identifies each; no trigger, so it is delivered at once.
void sendNotification(const Platform& platform, const std::string& title, const std::string& body);

}  // namespace velmora
