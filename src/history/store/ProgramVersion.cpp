#include "history/store/ProgramVersion.h"

#ifndef VELMORA_VERSION
#define VELMORA_VERSION "unknown"
#endif

namespace velmora {

const char* programVersion() { return VELMORA_VERSION; }

}  // namespace velmora
