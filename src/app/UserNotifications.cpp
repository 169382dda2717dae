#include "app/UserNotifications.h"

namespace velmora {

namespace {

// What the completions need, the center held weakly: a completion runs on
// the center's own queue and must not be what keeps the center alive.
struct PermissionContext {
    std::weak_ptr<NotificationCenter> center;
    std::weak_ptr<Scheduler> scheduler;
    std::shared_ptr<UserDefaults> defaults;
    std::shared_ptr<Diagnostics> diagnostics;
};

void requestAuthorization(const PermissionContext& context) {
    auto center = context.center.lock();
    if (!center) return;
    center->requestAuthorization(
        [defaults = context.defaults, diagnostics = context.diagnostics,
         scheduler = context.scheduler](bool granted, std::optional<std::string> error) {
            auto main = scheduler.lock();
            if (!main) return;
            main->asyncMain([defaults, diagnostics, granted, error = std::move(error)] {
                defaults->setBool(notificationPermissionRequestedKey, true);
                if (granted) {
                    diagnostics->line("✅ Bildirim izni verildi");
                } else if (error) {
                    // The system's own refusal text says nothing the user does not know.
                    if (*error != "Notifications are not allowed for this application") {
                        diagnostics->line("❌ Bildirim izni hatası: " + *error);
                    }
                } else {
                    diagnostics->line("📵 Bildirim izni reddedildi - Önemli USB durumları için manuel kontrol gerekli");
                }
            });
        });
}

}  // namespace

void requestNotificationPermission(const Platform& platform) {
    // Nothing can be asked of a centre this process may not use, so nothing
    // is stored as asked: a signed build run later still asks once.
    if (const auto reason = platform.notifications->unavailableReason()) {
        platform.diagnostics->line("📵 Notification Center unavailable: " + *reason);
        return;
    }
    const bool askedBefore = platform.defaults->boolValue(notificationPermissionRequestedKey);
    const PermissionContext context{platform.notifications, platform.scheduler, platform.defaults,
                                    platform.diagnostics};
    platform.notifications->getAuthorizationStatus([context, askedBefore](NotificationAuthorization status) {
        auto& say = *context.diagnostics;
        switch (status) {
            case NotificationAuthorization::authorized:
            case NotificationAuthorization::provisional:
                say.line("📱 Bildirim izni zaten aktif");
                context.defaults->setBool(notificationPermissionRequestedKey, true);
                return;
            case NotificationAuthorization::denied:
                say.line("⚠️ Bildirim izni kullanıcı tarafından reddedildi - Sistem Ayarlarından açabilirsiniz");
                context.defaults->setBool(notificationPermissionRequestedKey, true);
                return;
            case NotificationAuthorization::ephemeral:
                say.line("📱 Geçici bildirim izni aktif");
                context.defaults->setBool(notificationPermissionRequestedKey, true);
                return;
            case NotificationAuthorization::notDetermined:
                if (askedBefore) {
                    say.line("📵 Bildirim izni daha önce istendi, tekrar istenmeyecek");
                    return;
                }
                break;
        }
        requestAuthorization(context);
    });
}

void sendNotification(const Platform& platform, const std::string& title, const std::string& body) {
    NotificationRequest request;
    request.identifier = platform.random->uuidString();
    request.title = title;
    request.body = body;
    request.defaultSound = true;
    platform.notifications->add(request);
}

}  // namespace velmora
