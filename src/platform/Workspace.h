#pragma once
// The workspace: running applications and URL opening.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/Date.h"

namespace velmora {

enum class ActivationPolicy { regular = 0, accessory = 1, prohibited = 2 };

struct RunningApplication {
    int processIdentifier = 0;
    std::optional<std::string> bundleIdentifier;
    std::optional<std::string> localizedName;
    std::optional<std::string> bundlePath;  // file-system path of the bundle URL
    ActivationPolicy activationPolicy = ActivationPolicy::regular;
    std::optional<Date> launchDate;
};

class Workspace {
public:
    virtual ~Workspace() = default;
    // In the order the system gives.
    virtual std::vector<RunningApplication> runningApplications() = 0;
    virtual bool openURL(const std::string& url) = 0;
};

// Whether a bundle identifier names an Adobe or other creative application:
// it contains "adobe" or "creative", ASCII letters compared without case.
bool isCreativeBundleIdentifier(std::string_view bundleIdentifier);

}  // namespace velmora
