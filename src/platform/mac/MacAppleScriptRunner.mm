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

// The class's documentation promises nothing for other threads; the
// program's callers (the login-item code) run it on the main thread.
AppleScriptOutcome MacAppleScriptRunner::execute(const std::string& source) {
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
