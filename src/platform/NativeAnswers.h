#pragma once
// The macOS services' raw answers in the program's terms. The Objective-C++
// backend hands its numbers and buffers here, so what it decides is plain C++
// that builds and is tested on every host.
#include <optional>
#include <string>

#include "platform/AppleScript.h"
#include "platform/Notifications.h"
#include "platform/ProcessInspector.h"
#include "platform/Workspace.h"

namespace velmora {

// UNAuthorizationStatus (0 not determined, 1 denied, 2 authorized,
// 3 provisional, 4 ephemeral). A value a later system adds reads as not
// determined, as an unknown name does in the simulated center: the program
// then asks, and the request reports whatever the user decided.
NotificationAuthorization notificationAuthorizationFromStatus(long status);

// NSApplicationActivationPolicy (0 regular, 1 accessory, 2 prohibited);
// anything else reads as regular, as in the simulated workspace.
ActivationPolicy activationPolicyFromValue(long policy);

// AppleScript's "unknown error", for an error dictionary that names no number
// (the dictionary may hold no entries at all).
inline constexpr long kAppleScriptUnknownError = -2700;

// The outcome of a failed execution: the dictionary's NSAppleScriptErrorNumber
// when it has one, and its description.
AppleScriptOutcome appleScriptErrorOutcome(std::optional<long> errorNumber, std::string dictionaryDescription);

// proc_pidinfo(PROC_PIDVNODEPATHINFO) read as a working directory: `returned`
// is the call's result (the bytes written, 0 or less on failure with
// `errorNumber` set), `expected` the size of the answer asked for, `path` the
// current directory's path from a complete answer (ignored otherwise).
WorkingDirectoryAnswer workingDirectoryFromVnodeInfo(int returned, int expected, const char* path, int errorNumber);

}  // namespace velmora
