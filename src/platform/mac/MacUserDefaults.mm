#include "platform/mac/MacUserDefaults.h"

#import <Foundation/Foundation.h>

namespace velmora::mac {

namespace {

NSString* keyString(const std::string& key) {
    return [[NSString alloc] initWithBytes:key.data() length:key.size() encoding:NSUTF8StringEncoding];
}

}  // namespace

// NSUserDefaults is thread safe; any thread may call these.
std::optional<PlistValue> MacUserDefaults::object(const std::string& key) const {
    @autoreleasepool {
        NSString* name = keyString(key);
        id value = name != nil ? [NSUserDefaults.standardUserDefaults objectForKey:name] : nil;
        if (value == nil) return std::nullopt;
        NSData* xml = [NSPropertyListSerialization dataWithPropertyList:value
                                                                 format:NSPropertyListXMLFormat_v1_0
                                                                options:0
                                                                  error:nil];
        if (xml == nil) return std::nullopt;  // not a property-list value: read as absent
        auto parsed = parsePlist(std::string_view(static_cast<const char*>(xml.bytes), xml.length));
        return std::move(parsed.value);
    }
}

void MacUserDefaults::set(const std::string& key, const PlistValue& value) {
    @autoreleasepool {
        NSString* name = keyString(key);
        const std::string xml = toXmlPlist(value);
        NSData* data = [NSData dataWithBytes:xml.data() length:xml.size()];
        id object = [NSPropertyListSerialization propertyListWithData:data
                                                              options:NSPropertyListImmutable
                                                               format:nil
                                                                error:nil];
        if (name == nil || object == nil) return;
        [NSUserDefaults.standardUserDefaults setObject:object forKey:name];
    }
}

void MacUserDefaults::remove(const std::string& key) {
    @autoreleasepool {
        if (NSString* name = keyString(key)) [NSUserDefaults.standardUserDefaults removeObjectForKey:name];
    }
}

}  // namespace velmora::mac
