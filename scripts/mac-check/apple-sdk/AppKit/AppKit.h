// AppKit: the window, workspace and running-application members the sources
// use. The real umbrella imports Foundation, so this one does too.
#pragma once
#include <Foundation/Foundation.h>

NS_ASSUME_NONNULL_BEGIN

@class NSWindow;

// https://developer.apple.com/documentation/appkit/nsresponder
@interface NSResponder : NSObject
@end

// https://developer.apple.com/documentation/appkit/nsview
@interface NSView : NSResponder
// https://developer.apple.com/documentation/appkit/nsview/window
@property (nullable, readonly, unsafe_unretained) NSWindow *window;
@end

// https://developer.apple.com/documentation/appkit/nswindow/stylemask-swift.struct
typedef NS_OPTIONS(NSUInteger, NSWindowStyleMask){
    // https://developer.apple.com/documentation/appkit/nswindow/stylemask-swift.struct/fullsizecontentview
    NSWindowStyleMaskFullSizeContentView = 1 << 15,
};

// https://developer.apple.com/documentation/appkit/nswindow/titlevisibility-swift.enum
typedef NS_ENUM(NSInteger, NSWindowTitleVisibility){
    NSWindowTitleVisible = 0,
    NSWindowTitleHidden = 1,
};

// https://developer.apple.com/documentation/appkit/nswindow
@interface NSWindow : NSResponder
// unverified: the styleMask page was not opened; the property is
// NSWindowStyleMask, read and written.
@property NSWindowStyleMask styleMask;
// https://developer.apple.com/documentation/appkit/nswindow/titlevisibility-swift.property
@property NSWindowTitleVisibility titleVisibility;
// https://developer.apple.com/documentation/appkit/nswindow/titlebarappearstransparent
@property BOOL titlebarAppearsTransparent;
@end

// unverified: page not opened; the values are the SDK's, and
// activationPolicyFromValue maps them.
typedef NS_ENUM(NSInteger, NSApplicationActivationPolicy){
    NSApplicationActivationPolicyRegular = 0,
    NSApplicationActivationPolicyAccessory = 1,
    NSApplicationActivationPolicyProhibited = 2,
};

// https://developer.apple.com/documentation/appkit/nsrunningapplication
@interface NSRunningApplication : NSObject
// https://developer.apple.com/documentation/appkit/nsrunningapplication/processidentifier
@property (readonly) pid_t processIdentifier;
// unverified: the two name pages were not opened; both are optional strings
// in the SDK (an application without a bundle has neither).
@property (nullable, readonly, copy) NSString *bundleIdentifier;
@property (nullable, readonly, copy) NSString *localizedName;
// https://developer.apple.com/documentation/appkit/nsrunningapplication/bundleurl
@property (nullable, readonly, copy) NSURL *bundleURL;
// unverified: page not opened.
@property (readonly) NSApplicationActivationPolicy activationPolicy;
// https://developer.apple.com/documentation/appkit/nsrunningapplication/launchdate
@property (nullable, readonly, copy) NSDate *launchDate;
@end

// https://developer.apple.com/documentation/appkit/nsworkspace
@interface NSWorkspace : NSObject
// https://developer.apple.com/documentation/appkit/nsworkspace/shared
@property (class, readonly, strong) NSWorkspace *sharedWorkspace;
// https://developer.apple.com/documentation/appkit/nsworkspace/runningapplications
@property (readonly, copy) NSArray<NSRunningApplication *> *runningApplications;
// https://developer.apple.com/documentation/appkit/nsworkspace/open(_:)
- (BOOL)openURL:(NSURL *)url;
@end

NS_ASSUME_NONNULL_END
