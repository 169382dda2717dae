#include "platform/mac/MacNotificationCenter.h"

#import <Foundation/Foundation.h>
#import <Security/Security.h>
#import <UserNotifications/UserNotifications.h>

#include <utility>

#include "platform/NativeAnswers.h"

namespace velmora::mac {

// Under ARC a dispatch queue is an object the struct keeps alive; blocks
// already queued hold it too, so a completion arriving after this object is
// gone still runs.
struct MacNotificationCenter::Queue {
    dispatch_queue_t queue = dispatch_queue_create("com.orrindel.velmora.notifications", DISPATCH_QUEUE_SERIAL);
    std::optional<std::string> unavailable;
};

namespace {

// The notification centre serves only a bundled application signed with a
// developer identity: for a binary outside its bundle the framework raises an
// exception, and an unsigned or ad hoc signed one is never authorized.
std::optional<std::string> whyUnavailable() {
    if (NSBundle.mainBundle.bundleIdentifier == nil) return "the program is not running from Velmora.app";
    SecCodeRef code = nullptr;
    if (SecCodeCopySelf(kSecCSDefaultFlags, &code) != errSecSuccess || code == nullptr)
        return "the program's code signature cannot be read";
    CFDictionaryRef information = nullptr;
    // A running code object stands for its static code here, as documented.
    const OSStatus status =
        SecCodeCopySigningInformation(reinterpret_cast<SecStaticCodeRef>(code), kSecCSSigningInformation, &information);
    CFRelease(code);
    if (status != errSecSuccess || information == nullptr) return "the program's code signature cannot be read";
    NSDictionary* signing = CFBridgingRelease(information);
    NSString* team = signing[(__bridge NSString*)kSecCodeInfoTeamIdentifier];
    if (team.length > 0) return std::nullopt;
    NSNumber* flags = signing[(__bridge NSString*)kSecCodeInfoFlags];
    if (flags != nil && (flags.unsignedIntValue & kSecCodeSignatureAdhoc) != 0)
        return "this build is signed ad hoc, not with a developer identity";
    return "this build is not signed with a developer identity";
}

NSString* string(const std::string& text) {
    NSString* made = [[NSString alloc] initWithBytes:text.data() length:text.size() encoding:NSUTF8StringEncoding];
    return made != nil ? made : @"";
}

}  // namespace

MacNotificationCenter::MacNotificationCenter() : queue_(std::make_unique<Queue>()) {
    @autoreleasepool {
        queue_->unavailable = whyUnavailable();
    }
}

std::optional<std::string> MacNotificationCenter::unavailableReason() const {
    return queue_->unavailable;
}

MacNotificationCenter::~MacNotificationCenter() = default;

void MacNotificationCenter::getAuthorizationStatus(std::function<void(NotificationAuthorization)> completion) {
    dispatch_queue_t queue = queue_->queue;
    if (queue_->unavailable) {
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
    if (const auto unavailable = queue_->unavailable) {
        dispatch_async(queue, ^{
          if (completion) completion(false, *unavailable);
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
    if (queue_->unavailable) return;
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
