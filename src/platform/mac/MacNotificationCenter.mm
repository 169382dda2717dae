#include "platform/mac/MacNotificationCenter.h"

#import <Foundation/Foundation.h>
#import <UserNotifications/UserNotifications.h>

#include <utility>

#include "platform/NativeAnswers.h"

namespace velmora::mac {

// Under ARC a dispatch queue is an object the struct keeps alive; blocks
// already queued hold it too, so a completion arriving after this object is
// gone still runs.
struct MacNotificationCenter::Queue {
    dispatch_queue_t queue = dispatch_queue_create("com.orrindel.velmora.notifications", DISPATCH_QUEUE_SERIAL);
    bool inBundle = false;
};

constexpr const char* kOutsideBundle = "Notifications need the application bundle (Velmora.app)";

namespace {

NSString* string(const std::string& text) {
    NSString* made = [[NSString alloc] initWithBytes:text.data() length:text.size() encoding:NSUTF8StringEncoding];
    return made != nil ? made : @"";
}

}  // namespace

MacNotificationCenter::MacNotificationCenter() : queue_(std::make_unique<Queue>()) {
    // The framework raises an exception for a process that is not an
    // application bundle (a binary run from the build tree).
    queue_->inBundle = NSBundle.mainBundle.bundleIdentifier != nil;
}

MacNotificationCenter::~MacNotificationCenter() = default;

void MacNotificationCenter::getAuthorizationStatus(std::function<void(NotificationAuthorization)> completion) {
    dispatch_queue_t queue = queue_->queue;
    if (!queue_->inBundle) {
        dispatch_async(queue, ^{
          if (completion) completion(NotificationAuthorization::notDetermined);
        });
        return;
    }
    // The block copies the std::function (a C++ object captured by value).
    [UNUserNotificationCenter.currentNotificationCenter
        getNotificationSettingsWithCompletionHandler:^(UNNotificationSettings* settings) {
          const auto status = notificationAuthorizationFromStatus(static_cast<long>(settings.authorizationStatus));
          dispatch_async(queue, ^{
            if (completion) completion(status);
          });
        }];
}

void MacNotificationCenter::requestAuthorization(
    std::function<void(bool granted, std::optional<std::string> error)> completion) {
    dispatch_queue_t queue = queue_->queue;
    if (!queue_->inBundle) {
        dispatch_async(queue, ^{
          if (completion) completion(false, std::string(kOutsideBundle));
        });
        return;
    }
    const UNAuthorizationOptions options = UNAuthorizationOptionAlert | UNAuthorizationOptionBadge |
                                           UNAuthorizationOptionSound;
    [UNUserNotificationCenter.currentNotificationCenter
        requestAuthorizationWithOptions:options
                      completionHandler:^(BOOL granted, NSError* error) {
                        std::optional<std::string> description;
                        if (error != nil) {
                            const char* text = error.localizedDescription.UTF8String;
                            description = text ? std::string(text) : std::string();
                        }
                        dispatch_async(queue, ^{
                          if (completion) completion(granted, description);
                        });
                      }];
}

// Delivered at once (no trigger). A refusal by the system (not allowed, or
// not determined yet) drops the notification, as the simulated center does.
void MacNotificationCenter::add(const NotificationRequest& request) {
    if (!queue_->inBundle) return;
    @autoreleasepool {
        UNMutableNotificationContent* content = [[UNMutableNotificationContent alloc] init];
        content.title = string(request.title);
        content.body = string(request.body);
        if (request.defaultSound) content.sound = UNNotificationSound.defaultSound;
        UNNotificationRequest* notification = [UNNotificationRequest requestWithIdentifier:string(request.identifier)
                                                                                   content:content
                                                                                   trigger:nil];
        [UNUserNotificationCenter.currentNotificationCenter addNotificationRequest:notification
                                                             withCompletionHandler:nil];
    }
}

}  // namespace velmora::mac
