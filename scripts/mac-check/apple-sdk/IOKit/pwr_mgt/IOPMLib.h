// Power assertions. The real header reaches IOReturn through
// <IOKit/IOKitLib.h>, which declares nothing else the sources use.
// unverified: the function pages are not in the searchable documentation;
// the signatures are those of IOPMLib.h as Apple publishes it (IOKitUser).
#pragma once
#include <stdint.h>
#include <CoreFoundation/CoreFoundation.h>
#include <IOKit/IOReturn.h>

extern "C" {

typedef uint32_t IOPMAssertionID;
typedef uint32_t IOPMAssertionLevel;

IOReturn IOPMAssertionCreateWithName(CFStringRef AssertionType, IOPMAssertionLevel AssertionLevel,
                                     CFStringRef AssertionName, IOPMAssertionID *AssertionID);
IOReturn IOPMAssertionRelease(IOPMAssertionID AssertionID);

}  // extern "C"
