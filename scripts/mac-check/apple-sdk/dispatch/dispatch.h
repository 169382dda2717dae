// libdispatch as Objective-C code under ARC sees it (OS_OBJECT_USE_OBJC):
// queues are Objective-C objects that ARC retains and releases, so a queue
// kept in a C++ struct or captured by a block stays alive with it.
#pragma once
#include <stddef.h>

#ifdef __OBJC__
#include <objc/NSObject.h>

// unverified: the type pages were not opened; these are what <os/object.h>
// makes of the queue types under ARC.
@protocol OS_dispatch_object <NSObject>
@end
@protocol OS_dispatch_queue <OS_dispatch_object>
@end
typedef NSObject<OS_dispatch_queue> *dispatch_queue_t;
@protocol OS_dispatch_queue_attr <OS_dispatch_object>
@end
typedef NSObject<OS_dispatch_queue_attr> *dispatch_queue_attr_t;
#define DISPATCH_RETURNS_RETAINED __attribute__((ns_returns_retained))
#else
// Plain C++ sees opaque pointers that the caller retains and releases.
typedef struct dispatch_queue_s *dispatch_queue_t;
typedef struct dispatch_queue_attr_s *dispatch_queue_attr_t;
#define DISPATCH_RETURNS_RETAINED
#endif

// unverified: page not opened.
typedef void (^dispatch_block_t)(void);

// https://developer.apple.com/documentation/dispatch/dispatch_queue_serial
#define DISPATCH_QUEUE_SERIAL NULL

extern "C" {
_Pragma("clang assume_nonnull begin")

// https://developer.apple.com/documentation/dispatch/dispatch_queue_create
DISPATCH_RETURNS_RETAINED dispatch_queue_t dispatch_queue_create(const char *_Nullable label,
                                                                 dispatch_queue_attr_t _Nullable attr);

// unverified: page not opened; queue and block may not be NULL.
void dispatch_async(dispatch_queue_t queue, dispatch_block_t block);

_Pragma("clang assume_nonnull end")
}  // extern "C"
