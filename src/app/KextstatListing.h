#pragma once
// Reading `kextstat -b ID`: it prints its column header even when nothing is
// loaded, so only a row of the listing (a line that starts with the load
// index) whose name column is the identifier tells that the driver is there.
#include <string_view>

namespace velmora {

bool kextstatListsBundle(std::string_view output, std::string_view bundleIdentifier);

}  // namespace velmora
