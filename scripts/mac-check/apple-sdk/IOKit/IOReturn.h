// IOKit's status codes, built as <mach/error.h> builds them: the system in
// the top six bits (IOKit's is 0x38), so every IOKit error is negative as an
// int.
// unverified: IOReturn.h has no documentation page with the values; these are
// the SDK's definitions (xnu's current mach/error.h for err_system).
#pragma once

typedef int kern_return_t;
// https://developer.apple.com/documentation/kernel/ioreturn
typedef kern_return_t IOReturn;

#define KERN_SUCCESS 0
#define err_system(x) ((signed)((((unsigned)(x)) & 0x3f) << 26))
#define err_sub(x) (((x) & 0xfff) << 14)
#define sys_iokit err_system(0x38)
#define sub_iokit_common err_sub(0)
#define iokit_common_err(return) (sys_iokit | sub_iokit_common | return)

#define kIOReturnSuccess KERN_SUCCESS
#define kIOReturnBadArgument iokit_common_err(0x2c2)
