// The deployment target, as the compiler's -mmacosx-version-min sets it on a
// Mac: 12.0, the macos preset's CMAKE_OSX_DEPLOYMENT_TARGET. Qt's headers
// compare against it.
#pragma once

#define __MAC_10_6 1060
#define __MAC_12_0 120000
#define __MAC_OS_X_VERSION_MIN_REQUIRED __MAC_12_0
