// Every owner on the host asks through one launcher that shares identical
// read-only queries. VELMORA_SHARED_QUERIES=off runs each query on its own,
// to measure what sharing saves and to compare the two.
#include <cstdlib>
#include <string_view>

#include "foundation/process/SharedQueries.h"
#include "host/HostPlatform.h"

namespace velmora {

Platform withSharedQueries(Platform platform) {
    const char* setting = std::getenv("VELMORA_SHARED_QUERIES");
    if (setting && std::string_view(setting) == "off") return platform;
    platform.processes = std::make_shared<SharedQueries>(platform.processes);
    return platform;
}

}  // namespace velmora
