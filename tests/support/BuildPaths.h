#pragma once
// Where tests find the source tree and the programs built beside them. Only
// BuildPaths.cpp is compiled with the clone's absolute paths, so every other
// test file compiles the same in any clone and comes from the compiler cache.
#include <string>

namespace velmora::testing {

// A file or folder of the source tree, given relative to its root.
std::string sourcePath(const std::string& relative);

// The stand-in tool binary and the velmora-sim command; empty when the
// build has no such program.
std::string simToolProgram();
std::string simCommandProgram();

}  // namespace velmora::testing
