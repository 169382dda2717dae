#pragma once
// Looks at processes through /proc (on a Mac, the kernel's process table
// through sysctl), for tests that must see a child killed, reaped or still
// alive.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>
#ifdef __APPLE__
#include <sys/proc.h>
#include <sys/sysctl.h>

#include <vector>
#endif

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

namespace velmora::testing {

// The text of a /proc stat file; empty when the process is gone. A process
// reaped while its file is open fails the read (ESRCH), which iostreams turn
// into an exception: that too means it is gone.
inline std::string procStat(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {};
    std::string text;
    char buffer[512];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n < 0) text.clear();
            break;
        }
        text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return text;
}

#ifdef __APPLE__
// 'Z' for a zombie, 'R' for any other live process, 0 when it no longer exists.
inline char processState(int pid) {
    kinfo_proc info{};
    std::size_t size = sizeof info;
    int name[] = {CTL_KERN, KERN_PROC, KERN_PROC_PID, pid};
    if (::sysctl(name, 4, &info, &size, nullptr, 0) != 0 || size == 0) return 0;
    return info.kp_proc.p_stat == SZOMB ? 'Z' : 'R';
}
#else
// The state letter from /proc/PID/stat ('R', 'S', 'Z', …), or 0 when the
// process no longer exists.
inline char processState(int pid) {
    const std::string text = procStat("/proc/" + std::to_string(pid) + "/stat");
    const auto close = text.rfind(')');
    if (close == std::string::npos || close + 2 >= text.size()) return 0;
    return text[close + 2];
}
#endif

inline bool processRunning(int pid) {
    const char state = processState(pid);
    return state != 0 && state != 'Z' && state != 'X';
}

// Polls `condition` for a bounded time: these checks wait on real processes
// (the reaper, the init process), not on our own code's timing.
inline bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds limit = std::chrono::seconds(5)) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// Children of this process that have exited and were never waited for.
#ifdef __APPLE__
inline std::size_t zombieChildren() {
    int name[] = {CTL_KERN, KERN_PROC, KERN_PROC_ALL, 0};
    std::size_t size = 0;
    if (::sysctl(name, 3, nullptr, &size, nullptr, 0) != 0) return 0;
    std::vector<kinfo_proc> table(size / sizeof(kinfo_proc) + 16);
    size = table.size() * sizeof(kinfo_proc);
    if (::sysctl(name, 3, table.data(), &size, nullptr, 0) != 0) return 0;
    std::size_t count = 0;
    for (std::size_t i = 0; i < size / sizeof(kinfo_proc); ++i)
        if (table[i].kp_eproc.e_ppid == ::getpid() && table[i].kp_proc.p_stat == SZOMB) ++count;
    return count;
}
#else
inline std::size_t zombieChildren() {
    const std::string self = std::to_string(::getpid());
    std::size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        const std::string text = procStat((entry.path() / "stat").string());
        const auto close = text.rfind(')');
        if (close == std::string::npos || close + 4 >= text.size() || text[close + 2] != 'Z') continue;
        const auto parentEnd = text.find(' ', close + 4);
        if (text.compare(close + 4, parentEnd - (close + 4), self) == 0) ++count;
    }
    return count;
}
#endif

// /dev/fd lists this process's descriptors on Linux (a link to /proc/self/fd)
// and on a Mac alike; the listing's own descriptor is among them.
inline std::size_t openDescriptorCount() {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/dev/fd/")) ++count;
    return count;
}

}  // namespace velmora::testing
