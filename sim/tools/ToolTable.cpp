#include <string_view>

#include "sim/tools/Tools.h"

namespace velmora::sim {

ToolFunction toolNamed(const std::string& name) {
    struct Entry {
        std::string_view name;
        ToolFunction function;
    };
    static constexpr Entry table[] = {
        {"diskutil", runDiskutil},
        {"ioreg", runIoreg},
        {"system_profiler", runSystemProfiler},
        {"log", runLog},
        {"date", runDate},
        {"pmset", runPmset},
        {"sysctl", runSysctl},
        {"mount", runMount},
        {"umount", runUmount},
        {"mdutil", runMdutil},
        {"xattr", runXattr},
        {"kextload", runKextload},
        {"kextunload", runKextunload},
        {"kextstat", runKextstat},
        {"launchctl", runLaunchctl},
        {"top", runTop},
        {"iostat", runIostat},
        {"df", runDf},
        {"ps", runPs},
        {"chmod", runChmod},
        {"killall", runKillall},
        {"lsregister", runLsregister},
        {"purge", runPurge},
        {"memory_pressure", runMemoryPressure},
        {"caffeinate", runCaffeinate},
        {"sync", runSync},
        {"sleep", runSleep},
    };
    for (const auto& entry : table) {
        if (entry.name == name) return entry.function;
    }
    return nullptr;
}

}  // namespace velmora::sim
