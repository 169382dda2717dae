// The Objective-C runtime's basic names, as <objc/objc.h> gives them; clang
// itself knows id, Class and SEL in Objective-C mode.
#pragma once

// unverified: no page in Apple's documentation gives the typedef. objc.h makes
// BOOL bool on Apple silicon and signed char on Intel Macs; the app is built
// for Apple silicon (the macos preset's /opt/homebrew Qt), so bool.
typedef bool BOOL;
// https://developer.apple.com/documentation/objectivec/boolean-values
#define YES __objc_yes
#define NO __objc_no

// unverified: no documentation page found; objc.h defines nil as nullptr
// wherever C++11 is on.
#define nil nullptr

#define OBJC_ROOT_CLASS __attribute__((objc_root_class))
