// Foundation's basic types and the macros its declarations are written with.
#pragma once
#include <CoreFoundation/CoreFoundation.h>

// unverified: pages not opened; long and unsigned long on 64-bit Macs.
typedef long NSInteger;
typedef unsigned long NSUInteger;

// NS_ENUM and NS_OPTIONS are Core Foundation's CF_ENUM and CF_OPTIONS.
#define NS_ENUM(...) CF_ENUM(__VA_ARGS__)
#define NS_OPTIONS(_type, _name) CF_OPTIONS(_type, _name)

#define NS_ASSUME_NONNULL_BEGIN _Pragma("clang assume_nonnull begin")
#define NS_ASSUME_NONNULL_END _Pragma("clang assume_nonnull end")
#define NS_RETURNS_INNER_POINTER __attribute__((objc_returns_inner_pointer))
#define FOUNDATION_EXPORT extern "C"
