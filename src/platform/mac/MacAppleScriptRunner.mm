#include "platform/mac/MacAppleScriptRunner.h"

#import <Foundation/Foundation.h>

#include "platform/NativeAnswers.h"

namespace velmora::mac {

namespace {

std::string utf8(NSString* text) {
    const char* bytes = text.UTF8String;
    return bytes ? std::string(bytes) : std::string();
}

}  // namespace

// The login-item code calls this on its own serial queues ("auto.start",
// "startup.manager"), never the main thread, since a script to System Events
// can wait for the user's answer to the automation prompt. NSAppleScript's
// documentation promises nothing for concurrent use, so the two queues never
// run scripts at the same moment.
AppleScriptOutcome MacAppleScriptRunner::execute(const std::string& source) {
    std::lock_guard lock(running_);
    @autoreleasepool {
        NSString* text = [[NSString alloc] initWithBytes:source.data()
                                                  length:source.size()
                                                encoding:NSUTF8StringEncoding];
        NSAppleScript* script = text != nil ? [[NSAppleScript alloc] initWithSource:text] : nil;
        if (script == nil) return AppleScriptOutcome{};  // Kind::couldNotCreate

        NSDictionary* errorInfo = nil;
        NSAppleEventDescriptor* result = [script executeAndReturnError:&errorInfo];
        if (result == nil) {
            std::optional<long> number;
            id value = errorInfo[NSAppleScriptErrorNumber];
            if ([value isKindOfClass:[NSNumber class]]) number = [(NSNumber*)value longValue];
            NSString* description = errorInfo != nil ? errorInfo.description : @"";
            return appleScriptErrorOutcome(number, utf8(description));
        }
        AppleScriptOutcome outcome;
        outcome.kind = AppleScriptOutcome::Kind::result;
        if (NSString* string = result.stringValue) outcome.stringValue = utf8(string);
        outcome.booleanValue = result.booleanValue;
        return outcome;
    }
}

}  // namespace velmora::mac
