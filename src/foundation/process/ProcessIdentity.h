#pragma once
// A process told apart from any later one that reuses its pid: the pid with
// the moment it started. Read from the kernel's process table (/proc on
// Linux, sysctl on macOS); a zombie counts as gone, since it runs nothing.
#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velmora {

struct ProcessIdentity {
    pid_t pid = 0;
    pid_t group = 0;
    std::uint64_t started = 0;  // in the kernel's own unit; compared, never converted

    bool sameProcess(const ProcessIdentity& other) const { return pid == other.pid && started == other.started; }
};

// How many units of ProcessIdentity::started make a second.
std::uint64_t startUnitsPerSecond();
// Absent when no live process has that pid.
std::optional<ProcessIdentity> identifyProcess(pid_t pid);
// Every process the kernel lists now, this one included.
std::vector<pid_t> processIds();
// The live processes whose process group is `group`.
std::vector<ProcessIdentity> processGroupMembers(pid_t group);
// The live processes whose environment holds `entry` ("NAME=value") exactly.
// Only processes this user may inspect are seen.
std::vector<ProcessIdentity> processesWithEnvironmentEntry(const std::string& entry);

}  // namespace velmora
