#pragma once
// The stand-in tools, one function each: arguments after the program name in,
// output into the context's buffers, exit status out.
#include <string>
#include <vector>

#include "sim/tools/ToolContext.h"

namespace velmora::sim {

using ToolArguments = std::vector<std::string>;
using ToolFunction = int (*)(ToolContext&, const ToolArguments&);

int runDiskutil(ToolContext&, const ToolArguments&);
int runIoreg(ToolContext&, const ToolArguments&);
int runSystemProfiler(ToolContext&, const ToolArguments&);
int runLog(ToolContext&, const ToolArguments&);
int runDate(ToolContext&, const ToolArguments&);
int runPmset(ToolContext&, const ToolArguments&);
int runSysctl(ToolContext&, const ToolArguments&);
int runMount(ToolContext&, const ToolArguments&);
int runUmount(ToolContext&, const ToolArguments&);
int runMdutil(ToolContext&, const ToolArguments&);
int runXattr(ToolContext&, const ToolArguments&);
int runKextload(ToolContext&, const ToolArguments&);
int runKextunload(ToolContext&, const ToolArguments&);
int runKextstat(ToolContext&, const ToolArguments&);
int runLaunchctl(ToolContext&, const ToolArguments&);
int runTop(ToolContext&, const ToolArguments&);
int runIostat(ToolContext&, const ToolArguments&);
int runDf(ToolContext&, const ToolArguments&);
int runPs(ToolContext&, const ToolArguments&);
int runChmod(ToolContext&, const ToolArguments&);
int runKillall(ToolContext&, const ToolArguments&);
int runLsregister(ToolContext&, const ToolArguments&);
int runPurge(ToolContext&, const ToolArguments&);
int runMemoryPressure(ToolContext&, const ToolArguments&);
int runCaffeinate(ToolContext&, const ToolArguments&);
int runSync(ToolContext&, const ToolArguments&);
int runSleep(ToolContext&, const ToolArguments&);

// The function for a program name, or null.
ToolFunction toolNamed(const std::string& name);

}  // namespace velmora::sim
