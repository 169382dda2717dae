// Which Apple platform is being compiled for. Qt's headers read these once
// __APPLE__ is defined, so they take their macOS path as on a Mac.
#pragma once

#define TARGET_OS_MAC 1
#define TARGET_OS_OSX 1
#define TARGET_OS_IPHONE 0
#define TARGET_OS_IOS 0
#define TARGET_OS_TV 0
#define TARGET_OS_WATCH 0
