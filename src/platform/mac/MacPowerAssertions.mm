#include "platform/mac/MacPowerAssertions.h"

#import <CoreFoundation/CoreFoundation.h>
#import <IOKit/pwr_mgt/IOPMLib.h>

namespace velmora::mac {

namespace {

// A CFString owned here: CF objects are outside ARC, so the Create rule's
// release is ours.
struct OwnedString {
    explicit OwnedString(const std::string& text)
        : ref(CFStringCreateWithBytes(kCFAllocatorDefault, reinterpret_cast<const UInt8*>(text.data()),
                                      static_cast<CFIndex>(text.size()), kCFStringEncodingUTF8, false)) {}
    ~OwnedString() {
        if (ref) CFRelease(ref);
    }
    OwnedString(const OwnedString&) = delete;
    OwnedString& operator=(const OwnedString&) = delete;
    CFStringRef ref;
};

}  // namespace

int MacPowerAssertions::create(const std::string& type, int level, const std::string& name, std::uint32_t& id) {
    const OwnedString typeString(type);
    const OwnedString nameString(name);
    if (!typeString.ref || !nameString.ref) return kIOReturnBadArgument;  // not UTF-8
    IOPMAssertionID assertion = 0;
    const IOReturn status = IOPMAssertionCreateWithName(typeString.ref, static_cast<IOPMAssertionLevel>(level),
                                                        nameString.ref, &assertion);
    if (status == kIOReturnSuccess) id = assertion;
    return status;
}

int MacPowerAssertions::release(std::uint32_t id) {
    return IOPMAssertionRelease(static_cast<IOPMAssertionID>(id));
}

}  // namespace velmora::mac
