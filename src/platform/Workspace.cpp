#include "platform/Workspace.h"

#include "foundation/strings/AsciiCase.h"

namespace velmora {

bool isCreativeBundleIdentifier(std::string_view bundleIdentifier) {
    const std::string lower = asciiLowercased(bundleIdentifier);
    return lower.find("adobe") != std::string::npos || lower.find("creative") != std::string::npos;
}

}  // namespace velmora
