#include "platform/NativeAnswers.h"

#include <cstring>
#include <utility>

namespace velmora {

NotificationAuthorization notificationAuthorizationFromStatus(long status) {
    switch (status) {
        case 1: return NotificationAuthorization::denied;
        case 2: return NotificationAuthorization::authorized;
        case 3: return NotificationAuthorization::provisional;
        case 4: return NotificationAuthorization::ephemeral;
        default: return NotificationAuthorization::notDetermined;
    }
}

ActivationPolicy activationPolicyFromValue(long policy) {
    switch (policy) {
        case 1: return ActivationPolicy::accessory;
        case 2: return ActivationPolicy::prohibited;
        default: return ActivationPolicy::regular;
    }
}

AppleScriptOutcome appleScriptErrorOutcome(std::optional<long> errorNumber, std::string dictionaryDescription) {
    AppleScriptOutcome outcome;
    outcome.kind = AppleScriptOutcome::Kind::error;
    outcome.errorNumber = errorNumber.value_or(kAppleScriptUnknownError);
    outcome.errorDescription = std::move(dictionaryDescription);
    return outcome;
}

WorkingDirectoryAnswer workingDirectoryFromVnodeInfo(int returned, int expected, const char* path, int errorNumber) {
    if (returned <= 0) return {std::nullopt, std::strerror(errorNumber)};
    // A short answer holds no complete path: reading it would read past what
    // the kernel wrote.
    if (returned < expected) return {std::nullopt, "incomplete process information"};
    const std::string directory = path ? std::string(path) : std::string();
    if (directory.empty() || directory[0] != '/') return {std::nullopt, "not an absolute path: " + directory};
    return {directory, ""};
}

}  // namespace velmora
