#pragma once
// The version every history entry is stamped with, from the build.
namespace velmora {

const char* programVersion();

}  // namespace velmora
