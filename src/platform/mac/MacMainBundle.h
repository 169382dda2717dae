#pragma once
// The running program's bundle as NSBundle.mainBundle describes it.
#include <optional>
#include <string>

#include "platform/MainBundle.h"

namespace velmora::mac {

MainBundle mainBundle();

// The full path of a file in the bundle's resources; absent when the bundle
// has none of that name (a binary run outside its bundle has no resources).
std::optional<std::string> bundleResourcePath(const std::string& name, const std::string& extension);

}  // namespace velmora::mac
