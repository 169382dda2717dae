// UserNotifications: the centre, its settings and a request with content.
// The real umbrella imports Foundation, so this one does too.
#pragma once
#include <Foundation/Foundation.h>

NS_ASSUME_NONNULL_BEGIN

// The page names the options; the bit values are the SDK's, as bindings
// generated from it list them.
// https://developer.apple.com/documentation/usernotifications/unauthorizationoptions
typedef NS_OPTIONS(NSUInteger, UNAuthorizationOptions){
    UNAuthorizationOptionBadge = 1 << 0,
    UNAuthorizationOptionSound = 1 << 1,
    UNAuthorizationOptionAlert = 1 << 2,
};

// The raw values (0 to 3) are what notificationAuthorizationFromStatus maps.
// https://developer.apple.com/documentation/usernotifications/unauthorizationstatus
typedef NS_ENUM(NSInteger, UNAuthorizationStatus){
    UNAuthorizationStatusNotDetermined = 0,
    UNAuthorizationStatusDenied,
    UNAuthorizationStatusAuthorized,
    UNAuthorizationStatusProvisional,
};

// https://developer.apple.com/documentation/usernotifications/unnotificationsettings
@interface UNNotificationSettings : NSObject
// https://developer.apple.com/documentation/usernotifications/unnotificationsettings/authorizationstatus
@property (readonly) UNAuthorizationStatus authorizationStatus;
@end

// https://developer.apple.com/documentation/usernotifications/unnotificationsound
@interface UNNotificationSound : NSObject
// https://developer.apple.com/documentation/usernotifications/unnotificationsound/default
@property (class, readonly, copy) UNNotificationSound *defaultSound;
@end

// https://developer.apple.com/documentation/usernotifications/unnotificationcontent
@interface UNNotificationContent : NSObject
@end

// Checked against the SDK's UNNotificationContent.h as well as the pages.
// https://developer.apple.com/documentation/usernotifications/unmutablenotificationcontent
@interface UNMutableNotificationContent : UNNotificationContent
@property (copy) NSString *title;
@property (copy) NSString *body;
// https://developer.apple.com/documentation/usernotifications/unmutablenotificationcontent/sound
@property (nullable, copy) UNNotificationSound *sound;
@end

// https://developer.apple.com/documentation/usernotifications/unnotificationtrigger
@interface UNNotificationTrigger : NSObject
@end

// https://developer.apple.com/documentation/usernotifications/unnotificationrequest
@interface UNNotificationRequest : NSObject
// https://developer.apple.com/documentation/usernotifications/unnotificationrequest/init(identifier:content:trigger:)
+ (instancetype)requestWithIdentifier:(NSString *)identifier
                              content:(UNNotificationContent *)content
                              trigger:(nullable UNNotificationTrigger *)trigger;
@end

// https://developer.apple.com/documentation/usernotifications/unusernotificationcenter
@interface UNUserNotificationCenter : NSObject
// A class method, not a property, in the SDK.
// https://developer.apple.com/documentation/usernotifications/unusernotificationcenter/current()
+ (UNUserNotificationCenter *)currentNotificationCenter;
// https://developer.apple.com/documentation/usernotifications/unusernotificationcenter/requestauthorization(options:completionhandler:)
- (void)requestAuthorizationWithOptions:(UNAuthorizationOptions)options
                      completionHandler:(void (^)(BOOL granted, NSError *_Nullable error))completionHandler;
// https://developer.apple.com/documentation/usernotifications/unusernotificationcenter/getnotificationsettings(completionhandler:)
- (void)getNotificationSettingsWithCompletionHandler:(void (^)(UNNotificationSettings *settings))completionHandler;
// https://developer.apple.com/documentation/usernotifications/unusernotificationcenter/add(_:withcompletionhandler:)
- (void)addNotificationRequest:(UNNotificationRequest *)request
         withCompletionHandler:(nullable void (^)(NSError *_Nullable error))completionHandler;
@end

NS_ASSUME_NONNULL_END
