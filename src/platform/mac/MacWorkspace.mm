#include "platform/mac/MacWorkspace.h"

#import <AppKit/AppKit.h>

#include "platform/NativeAnswers.h"

namespace velmora::mac {

namespace {

std::optional<std::string> text(NSString* value) {
    if (value == nil) return std::nullopt;
    return std::string(value.UTF8String ? value.UTF8String : "");
}

}  // namespace

// Called from the application scan's background queue: NSRunningApplication's
// properties are thread safe (read atomically), and the list is a snapshot.
std::vector<RunningApplication> MacWorkspace::runningApplications() {
    std::vector<RunningApplication> apps;
    @autoreleasepool {
        for (NSRunningApplication* running in NSWorkspace.sharedWorkspace.runningApplications) {
            RunningApplication app;
            app.processIdentifier = running.processIdentifier;
            app.bundleIdentifier = text(running.bundleIdentifier);
            app.localizedName = text(running.localizedName);
            NSURL* bundle = running.bundleURL;
            if (bundle != nil && bundle.isFileURL) app.bundlePath = text(bundle.path);
            app.activationPolicy = activationPolicyFromValue(static_cast<long>(running.activationPolicy));
            if (NSDate* launched = running.launchDate) app.launchDate = dateFromSeconds(launched.timeIntervalSince1970);
            apps.push_back(std::move(app));
        }
    }
    return apps;
}

bool MacWorkspace::openURL(const std::string& url) {
    @autoreleasepool {
        NSString* string = [[NSString alloc] initWithBytes:url.data() length:url.size() encoding:NSUTF8StringEncoding];
        NSURL* target = string.length > 0 ? [NSURL URLWithString:string] : nil;
        if (target == nil) return false;  // empty, not UTF-8, or not a URL
        return [NSWorkspace.sharedWorkspace openURL:target];
    }
}

}  // namespace velmora::mac
