#pragma once
// Runs one stand-in tool against a machine: applies the tool's fault, catches
// anything a tool throws, and journals the invocation. Both the multi-call
// binary and the in-process tests go through here.
#include <string>
#include <vector>

#include "sim/state/Machine.h"
#include "sim/tools/ToolContext.h"

namespace velmora::sim {

struct ToolRunRequest {
    std::string tool;                    // program name, e.g. "diskutil"
    std::vector<std::string> arguments;  // after the program name
    std::string invokedAs;               // argv[0] as given; the tool name when empty
    double now = 0;                      // seconds since the Unix epoch
    ToolContext::Sleeper sleeper;        // how waits are made (tests pass a recorder)
};

struct ToolRunResult {
    int exitStatus = 0;
    std::string out;
    std::string err;
    // The tool's fault is "hang": the caller must never return (the process
    // sleeps until it is killed). Journalled with exit status -1.
    bool hangs = false;
};

class ToolRunner {
public:
    static constexpr int hangExitStatus = -1;
    static ToolRunResult run(Machine& machine, const ToolRunRequest& request);
};

}  // namespace velmora::sim
