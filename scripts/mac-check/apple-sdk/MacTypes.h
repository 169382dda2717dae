// The fixed-width names that Core Foundation's and IOKit's signatures use,
// as <MacTypes.h> gives them on 64-bit Macs.
// unverified: MacTypes.h has no documentation page; these are its LP64
// definitions.
#pragma once

typedef unsigned char UInt8;
typedef unsigned int UInt32;
typedef int SInt32;
typedef unsigned char Boolean;
typedef SInt32 OSStatus;
