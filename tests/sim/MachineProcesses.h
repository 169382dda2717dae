#pragma once
// The host processes running against one machine folder (the stand-in tools,
// the scripts and the background loops they leave), found by the machine
// marker in their environment, and ending them. A test must end its own
// processes this way and never by a remembered pid or process group: once a
// child has exited its number is free, and under `ctest -j` it may already
// belong to a test running beside it.
#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace velmora::sim::testing {

inline std::vector<pid_t> machineProcesses(const std::string& dir) {
    std::vector<pid_t> found;
    const std::string marker = "VELMORA_SIM_MACHINE=" + dir;
    DIR* proc = ::opendir("/proc");
    if (!proc) return found;
    while (dirent* e = ::readdir(proc)) {
        char* end = nullptr;
        const long pid = std::strtol(e->d_name, &end, 10);
        if (*end != '\0' || pid <= 0 || pid == ::getpid()) continue;
        std::ifstream in("/proc/" + std::string(e->d_name) + "/environ", std::ios::binary);
        std::string entry;
        while (std::getline(in, entry, '\0')) {
            if (entry == marker) {
                found.push_back(static_cast<pid_t>(pid));
                break;
            }
        }
    }
    ::closedir(proc);
    return found;
}

// Kills them again on each pass, since a loop may fork between being listed
// and being killed; true once none is left (within about two seconds).
inline bool endMachineProcesses(const std::string& dir) {
    for (int pass = 0; pass < 100; ++pass) {
        const auto left = machineProcesses(dir);
        if (left.empty()) return true;
        for (pid_t pid : left) ::kill(pid, SIGKILL);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return machineProcesses(dir).empty();
}

}  // namespace velmora::sim::testing
