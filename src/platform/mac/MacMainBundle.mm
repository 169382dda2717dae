#include "platform/mac/MacMainBundle.h"

#import <Foundation/Foundation.h>

namespace velmora::mac {

namespace {

std::optional<std::string> text(NSString* value) {
    if (value == nil || value.UTF8String == nullptr) return std::nullopt;
    return std::string(value.UTF8String);
}

NSString* string(const std::string& text) {
    return [[NSString alloc] initWithBytes:text.data() length:text.size() encoding:NSUTF8StringEncoding];
}

}  // namespace

MainBundle mainBundle() {
    @autoreleasepool {
        NSBundle* bundle = NSBundle.mainBundle;
        MainBundle described;
        described.identifier = text(bundle.bundleIdentifier);
        described.path = text(bundle.bundlePath).value_or("");
        return described;
    }
}

std::optional<std::string> bundleResourcePath(const std::string& name, const std::string& extension) {
    @autoreleasepool {
        NSString* resource = string(name);
        NSString* type = string(extension);
        if (resource == nil || type == nil) return std::nullopt;
        return text([NSBundle.mainBundle pathForResource:resource ofType:type]);
    }
}

}  // namespace velmora::mac
