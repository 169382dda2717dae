// The root class and protocol, as <objc/NSObject.h> declares them: only the
// members the sources call.
#pragma once
#include <objc/objc.h>

@class NSString;

// https://developer.apple.com/documentation/objectivec/nsobjectprotocol
@protocol NSObject
// https://developer.apple.com/documentation/objectivec/nsobjectprotocol/iskind(of:)
- (BOOL)isKindOfClass:(Class)aClass;
// unverified: page not opened.
@property (readonly, copy) NSString *description;
@end

// https://developer.apple.com/documentation/objectivec/nsobject-swift.class
OBJC_ROOT_CLASS
@interface NSObject <NSObject>
// unverified: pages not opened for these three.
+ (instancetype)alloc;
- (instancetype)init;
+ (Class)class;
@end
