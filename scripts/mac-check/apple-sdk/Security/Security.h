// Code Signing Services: the running program's own signature.
#pragma once
#include <stdint.h>
#include <CoreFoundation/CoreFoundation.h>

extern "C" {
_Pragma("clang assume_nonnull begin")

// https://developer.apple.com/documentation/security/errsecsuccess
// unverified: page not opened; SecBase.h's value.
CF_ENUM(OSStatus){
    errSecSuccess = 0,
};

// A running program and code on disk share one object type; only the
// static one is const. Checked against the SDK's CSCommon.h.
// https://developer.apple.com/documentation/security/seccode
typedef struct CF_BRIDGED_TYPE(id) __SecCode *SecCodeRef;
// https://developer.apple.com/documentation/security/secstaticcode
typedef struct CF_BRIDGED_TYPE(id) __SecCode const *SecStaticCodeRef;

// https://developer.apple.com/documentation/security/seccsflags
typedef CF_OPTIONS(uint32_t, SecCSFlags){
    kSecCSDefaultFlags = 0,
};
// https://developer.apple.com/documentation/security/code-signing-information-flags
CF_ENUM(uint32_t){
    kSecCSSigningInformation = 1 << 1,
};

// https://developer.apple.com/documentation/security/seccodesignatureflags
// unverified: page not opened; the SDK's value.
typedef CF_OPTIONS(uint32_t, SecCodeSignatureFlags){
    kSecCodeSignatureAdhoc = 0x0002,
};

// https://developer.apple.com/documentation/security/kseccodeinfoteamidentifier
// unverified: page not opened (its kSecCodeInfoFlags sibling was).
extern const CFStringRef kSecCodeInfoTeamIdentifier;
// https://developer.apple.com/documentation/security/kseccodeinfoflags
extern const CFStringRef kSecCodeInfoFlags;

// https://developer.apple.com/documentation/security/seccodecopyself(_:_:)
OSStatus SecCodeCopySelf(SecCSFlags flags, SecCodeRef _Nullable *_Nonnull __attribute__((cf_returns_retained)) self);
// https://developer.apple.com/documentation/security/seccodecopysigninginformation(_:_:_:)
OSStatus SecCodeCopySigningInformation(SecStaticCodeRef code, SecCSFlags flags,
                                       CFDictionaryRef _Nullable *_Nonnull __attribute__((cf_returns_retained))
                                           information);

_Pragma("clang assume_nonnull end")
}  // extern "C"
