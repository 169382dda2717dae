// Core Foundation: the types and calls the sources use, with the bridging
// attributes ARC checks casts against.
#pragma once
#include <MacTypes.h>
#include <dispatch/dispatch.h>  // as the real umbrella does, through CFStream.h

#define CF_ENUM_ATTRIBUTES __attribute__((enum_extensibility(open)))
#define CF_OPTIONS_ATTRIBUTES __attribute__((flag_enum, enum_extensibility(open)))
// As <CoreFoundation/CFAvailability.h> spells them for C++: a named enum
// with a fixed type (the leading typedef of `typedef CF_ENUM(...)` is spent
// on a dummy int, since plain C++ refuses `typedef enum X : T X;`), and
// options as the plain integer type so that OR-ing flags gives that type.
// CF_ENUM also takes the type alone, for an unnamed enum.
#define CF_NAMED_ENUM_(_type, _name)                                                           \
    int CF_ENUM_##_name;                                                                        \
    enum CF_ENUM_ATTRIBUTES _name : _type;                                                      \
    typedef enum _name _name;                                                                   \
    enum _name : _type
#define CF_ANON_ENUM_(_type) enum CF_ENUM_ATTRIBUTES : _type
#define CF_PICK_ENUM_(_1, _2, NAME, ...) NAME
#define CF_ENUM(...) CF_PICK_ENUM_(__VA_ARGS__, CF_NAMED_ENUM_, CF_ANON_ENUM_, )(__VA_ARGS__)
#define CF_OPTIONS(_type, _name) _type _name; enum CF_OPTIONS_ATTRIBUTES : _type
#define CF_BRIDGED_TYPE(T) __attribute__((objc_bridge(T)))

extern "C" {

// unverified: the pages of these basic types were not opened; they are
// CFBase.h's, with the bridging attributes that let ARC check casts.
typedef long CFIndex;
typedef const void *CFTypeRef;
typedef const struct CF_BRIDGED_TYPE(NSString) __CFString *CFStringRef;
typedef const struct CF_BRIDGED_TYPE(NSDictionary) __CFDictionary *CFDictionaryRef;
typedef const struct CF_BRIDGED_TYPE(id) __CFAllocator *CFAllocatorRef;
typedef UInt32 CFStringEncoding;

// https://developer.apple.com/documentation/corefoundation/kcfallocatordefault
extern const CFAllocatorRef kCFAllocatorDefault;

// unverified: page not opened; CFString.h's value.
typedef CF_ENUM(CFStringEncoding, CFStringBuiltInEncodings){
    kCFStringEncodingUTF8 = 0x08000100,
};

// https://developer.apple.com/documentation/corefoundation/cfstringcreatewithbytes(_:_:_:_:_:)
CFStringRef CFStringCreateWithBytes(CFAllocatorRef alloc, const UInt8 *bytes, CFIndex numBytes,
                                    CFStringEncoding encoding, Boolean isExternalRepresentation);

// unverified: pages not opened. Both take CFTypeRef, and CFRetain returns
// it, a pointer to const.
CFTypeRef CFRetain(CFTypeRef cf);
void CFRelease(CFTypeRef cf);

// The run loop, which CFRunLoop.h declares without nullability.
// unverified: the pages of the types and of the calls without a link here
// were not opened; they are CFRunLoop.h's.
typedef double CFTimeInterval;
typedef unsigned long CFHashCode;
typedef struct CF_BRIDGED_TYPE(id) __CFRunLoop *CFRunLoopRef;
typedef struct CF_BRIDGED_TYPE(id) __CFRunLoopSource *CFRunLoopSourceRef;
typedef CFStringRef CFRunLoopMode;
extern const CFRunLoopMode kCFRunLoopDefaultMode;

typedef struct {
    CFIndex version;
    void *info;
    const void *(*retain)(const void *info);
    void (*release)(const void *info);
    CFStringRef (*copyDescription)(const void *info);
    Boolean (*equal)(const void *info1, const void *info2);
    CFHashCode (*hash)(const void *info);
    void (*schedule)(void *info, CFRunLoopRef rl, CFRunLoopMode mode);
    void (*cancel)(void *info, CFRunLoopRef rl, CFRunLoopMode mode);
    void (*perform)(void *info);
} CFRunLoopSourceContext;

CFRunLoopRef CFRunLoopGetMain(void);
void CFRunLoopWakeUp(CFRunLoopRef rl);
void CFRunLoopAddSource(CFRunLoopRef rl, CFRunLoopSourceRef source, CFRunLoopMode mode);
void CFRunLoopSourceInvalidate(CFRunLoopSourceRef source);
void CFRunLoopSourceSignal(CFRunLoopSourceRef source);

// https://developer.apple.com/documentation/corefoundation/cfrunloopsourcecreate(_:_:_:)
CFRunLoopSourceRef CFRunLoopSourceCreate(CFAllocatorRef allocator, CFIndex order, CFRunLoopSourceContext *context);

// https://developer.apple.com/documentation/corefoundation/cfrunlooprunresult
typedef CF_ENUM(SInt32, CFRunLoopRunResult){
    kCFRunLoopRunFinished = 1,
    kCFRunLoopRunStopped = 2,
    kCFRunLoopRunTimedOut = 3,
    kCFRunLoopRunHandledSource = 4,
};
// https://developer.apple.com/documentation/corefoundation/cfrunloopruninmode(_:_:_:)
CFRunLoopRunResult CFRunLoopRunInMode(CFRunLoopMode mode, CFTimeInterval seconds, Boolean returnAfterSourceHandled);

}  // extern "C"
