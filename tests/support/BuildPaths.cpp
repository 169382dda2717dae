#include "BuildPaths.h"

#ifndef VELMORA_SOURCE_DIR
#error "VELMORA_SOURCE_DIR is set by the build"
#endif
#ifndef VELMORA_SIM_TOOL_PATH
#define VELMORA_SIM_TOOL_PATH ""
#endif
#ifndef VELMORA_SIM_PATH
#define VELMORA_SIM_PATH ""
#endif

namespace velmora::testing {

std::string sourcePath(const std::string& relative) { return std::string(VELMORA_SOURCE_DIR) + "/" + relative; }
std::string simToolProgram() { return VELMORA_SIM_TOOL_PATH; }
std::string simCommandProgram() { return VELMORA_SIM_PATH; }

}  // namespace velmora::testing
