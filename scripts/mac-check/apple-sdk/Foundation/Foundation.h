// Foundation: the classes, members and constants the sources use, with
// Apple's nullability, so that passing nil where Apple forbids it warns as it
// would on a Mac.
#pragma once
#include <stdint.h>
#include <sys/types.h>
#include <CoreFoundation/CoreFoundation.h>
#include <Foundation/NSObjCRuntime.h>
#include <objc/NSObject.h>

NS_ASSUME_NONNULL_BEGIN

@class NSData, NSError;

// https://developer.apple.com/documentation/foundation/nsfastenumerationstate
// unverified: page not opened; the layout is the SDK's as remembered, and only
// its name matters to for ... in.
typedef struct {
    unsigned long state;
    id __unsafe_unretained _Nullable *_Nullable itemsPtr;
    unsigned long *_Nullable mutationsPtr;
    unsigned long extra[5];
} NSFastEnumerationState;

// What for ... in needs of a collection.
// https://developer.apple.com/documentation/foundation/nsfastenumeration
@protocol NSFastEnumeration
- (NSUInteger)countByEnumeratingWithState:(NSFastEnumerationState *)state
                                  objects:(id __unsafe_unretained _Nullable[_Nonnull])buffer
                                    count:(NSUInteger)len;
@end

// https://developer.apple.com/documentation/foundation/nsstringencoding
// unverified: page not opened; UTF-8 is 4 in the SDK's NSString.h.
typedef NSUInteger NSStringEncoding;
NS_ENUM(NSStringEncoding){
    NSUTF8StringEncoding = 4,
};

// https://developer.apple.com/documentation/foundation/nsstring
@interface NSString : NSObject
// unverified: page not opened.
@property (readonly) NSUInteger length;
// https://developer.apple.com/documentation/foundation/nsstring/init(bytes:length:encoding:)
- (nullable instancetype)initWithBytes:(const void *)bytes length:(NSUInteger)len encoding:(NSStringEncoding)encoding;
// https://developer.apple.com/documentation/foundation/nsstring/utf8string
@property (nullable, readonly) const char *UTF8String NS_RETURNS_INNER_POINTER;
@end

// https://developer.apple.com/documentation/foundation/nsnumber
@interface NSNumber : NSObject
// unverified: pages not opened for these two.
@property (readonly) long longValue;
@property (readonly) unsigned int unsignedIntValue;
@end

// https://developer.apple.com/documentation/foundation/nsarray
@interface NSArray<__covariant ObjectType> : NSObject <NSFastEnumeration>
@end

// https://developer.apple.com/documentation/foundation/nsdictionary
@interface NSDictionary<__covariant KeyType, __covariant ObjectType> : NSObject <NSFastEnumeration>
// What dictionary[key] calls.
// unverified: page not opened; the SDK declares it in a category of
// NSDictionary with this signature.
- (nullable ObjectType)objectForKeyedSubscript:(KeyType)key;
@end

// https://developer.apple.com/documentation/foundation/nsdata
@interface NSData : NSObject
// The page renders the pointer without nullability; its initializer twin
// init(bytes:length:) shows it as optional, as the SDK declares both.
// https://developer.apple.com/documentation/foundation/nsdata/datawithbytes:length:
+ (instancetype)dataWithBytes:(nullable const void *)bytes length:(NSUInteger)length;
// unverified: pages not opened for these two.
@property (readonly) NSUInteger length;
@property (readonly) const void *bytes NS_RETURNS_INNER_POINTER;
@end

// https://developer.apple.com/documentation/foundation/timeinterval
typedef double NSTimeInterval;

// https://developer.apple.com/documentation/foundation/nsdate
@interface NSDate : NSObject
// unverified: page not opened.
@property (readonly) NSTimeInterval timeIntervalSince1970;
@end

// https://developer.apple.com/documentation/foundation/nserror
@interface NSError : NSObject
// unverified: page not opened.
@property (readonly, copy) NSString *localizedDescription;
@end

// https://developer.apple.com/documentation/foundation/nsurl
@interface NSURL : NSObject
// The page renders the result without nullability and says it is nil for a
// malformed string, as the SDK's nullable declares.
// https://developer.apple.com/documentation/foundation/nsurl/urlwithstring:
+ (nullable instancetype)URLWithString:(NSString *)URLString;
// https://developer.apple.com/documentation/foundation/nsurl/isfileurl
@property (readonly, getter=isFileURL) BOOL fileURL;
// unverified: page not opened.
@property (nullable, readonly, copy) NSString *path;
@end

// https://developer.apple.com/documentation/foundation/bundle
@interface NSBundle : NSObject
// https://developer.apple.com/documentation/foundation/bundle/main
@property (class, readonly, strong) NSBundle *mainBundle;
// https://developer.apple.com/documentation/foundation/bundle/bundleidentifier
@property (nullable, readonly, copy) NSString *bundleIdentifier;
// https://developer.apple.com/documentation/foundation/bundle/bundlepath
@property (readonly, copy) NSString *bundlePath;
// https://developer.apple.com/documentation/foundation/bundle/path(forresource:oftype:)
- (nullable NSString *)pathForResource:(nullable NSString *)name ofType:(nullable NSString *)ext;
@end

// https://developer.apple.com/documentation/foundation/userdefaults
@interface NSUserDefaults : NSObject
// unverified: page not opened.
@property (class, readonly, strong) NSUserDefaults *standardUserDefaults;
// https://developer.apple.com/documentation/foundation/userdefaults/object(forkey:)
- (nullable id)objectForKey:(NSString *)defaultName;
// https://developer.apple.com/documentation/foundation/userdefaults/set(_:forkey:)-8ab6d
- (void)setObject:(nullable id)value forKey:(NSString *)defaultName;
// https://developer.apple.com/documentation/foundation/userdefaults/removeobject(forkey:)
- (void)removeObjectForKey:(NSString *)defaultName;
@end

// https://developer.apple.com/documentation/foundation/propertylistserialization/propertylistformat
typedef NS_ENUM(NSUInteger, NSPropertyListFormat){
    NSPropertyListOpenStepFormat = 1,
    NSPropertyListXMLFormat_v1_0 = 100,
    NSPropertyListBinaryFormat_v1_0 = 200,
};
// https://developer.apple.com/documentation/foundation/propertylistserialization/mutabilityoptions
typedef NS_OPTIONS(NSUInteger, NSPropertyListMutabilityOptions){
    NSPropertyListImmutable = 0,
    NSPropertyListMutableContainers = 1,
    NSPropertyListMutableContainersAndLeaves = 2,
};
// https://developer.apple.com/documentation/foundation/propertylistserialization/readoptions
typedef NSPropertyListMutabilityOptions NSPropertyListReadOptions;
// https://developer.apple.com/documentation/foundation/propertylistserialization/writeoptions
typedef NSUInteger NSPropertyListWriteOptions;

// https://developer.apple.com/documentation/foundation/propertylistserialization
@interface NSPropertyListSerialization : NSObject
// https://developer.apple.com/documentation/foundation/propertylistserialization/data(frompropertylist:format:options:)
+ (nullable NSData *)dataWithPropertyList:(id)plist
                                   format:(NSPropertyListFormat)format
                                  options:(NSPropertyListWriteOptions)opt
                                    error:(out NSError **)error;
// https://developer.apple.com/documentation/foundation/propertylistserialization/propertylist(from:options:format:)
+ (nullable id)propertyListWithData:(NSData *)data
                            options:(NSPropertyListReadOptions)opt
                             format:(nullable NSPropertyListFormat *)format
                              error:(out NSError **)error;
@end

// https://developer.apple.com/documentation/foundation/nsappleeventdescriptor
@interface NSAppleEventDescriptor : NSObject
// https://developer.apple.com/documentation/foundation/nsappleeventdescriptor/stringvalue
@property (nullable, readonly, copy) NSString *stringValue;
// https://developer.apple.com/documentation/foundation/nsappleeventdescriptor/booleanvalue
@property (readonly) Boolean booleanValue;
@end

// https://developer.apple.com/documentation/foundation/nsapplescript/errornumber
// (an NSNumber in the error dictionary)
FOUNDATION_EXPORT NSString *const NSAppleScriptErrorNumber;

// https://developer.apple.com/documentation/foundation/nsapplescript
@interface NSAppleScript : NSObject
// unverified: page not opened; the SDK's NSAppleScript.h as published.
- (nullable instancetype)initWithSource:(NSString *)source;
// The SDK leaves the result nonnull although the page says it is nil on
// failure; comparing it with nil stays legal.
// https://developer.apple.com/documentation/foundation/nsapplescript/executeandreturnerror(_:)
- (NSAppleEventDescriptor *)executeAndReturnError:(NSDictionary<NSString *, id> *_Nullable *_Nullable)errorInfo;
@end

// Hands a +1 Core Foundation reference over to ARC (a __bridge_transfer).
// https://developer.apple.com/documentation/foundation/cfbridgingrelease
static inline id _Nullable CFBridgingRelease(CFTypeRef __attribute__((cf_consumed)) _Nullable X) {
    return (__bridge_transfer id)X;
}

NS_ASSUME_NONNULL_END
