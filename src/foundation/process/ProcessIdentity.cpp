#include "foundation/process/ProcessIdentity.h"

#include <string>

#ifdef __APPLE__
#include <sys/proc.h>
#include <sys/sysctl.h>

#include <cstring>
#include <vector>
#else
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <sstream>
#endif

namespace velmora {

#ifdef __APPLE__

namespace {

ProcessIdentity fromKinfo(const struct kinfo_proc& info) {
    ProcessIdentity identity;
    identity.pid = info.kp_proc.p_pid;
    identity.group = info.kp_eproc.e_pgid;
    identity.started = static_cast<std::uint64_t>(info.kp_proc.p_starttime.tv_sec) * 1000000u +
                       static_cast<std::uint64_t>(info.kp_proc.p_starttime.tv_usec);
    return identity;
}

std::vector<struct kinfo_proc> processes(int which, int argument) {
    int name[4] = {CTL_KERN, KERN_PROC, which, argument};
    for (int attempt = 0; attempt < 4; ++attempt) {
        size_t size = 0;
        if (::sysctl(name, 4, nullptr, &size, nullptr, 0) != 0) return {};
        // Room for processes started between the two calls.
        std::vector<struct kinfo_proc> list(size / sizeof(struct kinfo_proc) + 16);
        size = list.size() * sizeof(struct kinfo_proc);
        if (::sysctl(name, 4, list.data(), &size, nullptr, 0) == 0) {
            list.resize(size / sizeof(struct kinfo_proc));
            std::erase_if(list, [](const struct kinfo_proc& p) { return p.kp_proc.p_stat == SZOMB; });
            return list;
        }
    }
    return {};
}

}  // namespace

std::uint64_t startUnitsPerSecond() { return 1000000u; }

std::optional<ProcessIdentity> identifyProcess(pid_t pid) {
    if (pid <= 0) return std::nullopt;
    const auto list = processes(KERN_PROC_PID, pid);
    if (list.empty()) return std::nullopt;
    return fromKinfo(list.front());
}

std::vector<pid_t> processIds() {
    std::vector<pid_t> ids;
    for (const auto& info : processes(KERN_PROC_ALL, 0)) ids.push_back(info.kp_proc.p_pid);
    return ids;
}

std::vector<ProcessIdentity> processGroupMembers(pid_t group) {
    std::vector<ProcessIdentity> members;
    if (group <= 0) return members;
    for (const auto& info : processes(KERN_PROC_PGRP, group)) members.push_back(fromKinfo(info));
    return members;
}

namespace {

// KERN_PROCARGS2 answers argc, the executable's path, padding, the arguments
// and then the environment, each NUL-terminated.
bool environmentHolds(pid_t pid, const std::string& entry) {
    int name[3] = {CTL_KERN, KERN_PROCARGS2, pid};
    int maximum = 0;
    size_t size = sizeof maximum;
    int argmax[2] = {CTL_KERN, KERN_ARGMAX};
    if (::sysctl(argmax, 2, &maximum, &size, nullptr, 0) != 0 || maximum <= 0) return false;
    std::vector<char> buffer(static_cast<size_t>(maximum));
    size = buffer.size();
    if (::sysctl(name, 3, buffer.data(), &size, nullptr, 0) != 0 || size < sizeof(int)) return false;
    int argc = 0;
    std::memcpy(&argc, buffer.data(), sizeof argc);
    size_t at = sizeof argc;
    while (at < size && buffer[at] != '\0') ++at;  // the executable's path
    while (at < size && buffer[at] == '\0') ++at;
    for (int skipped = 0; skipped < argc && at < size; ++skipped) at += std::strlen(buffer.data() + at) + 1;
    while (at < size && buffer[at] != '\0') {
        const char* value = buffer.data() + at;
        const size_t length = ::strnlen(value, size - at);
        if (entry.size() == length && entry.compare(0, length, value, length) == 0) return true;
        at += length + 1;
    }
    return false;
}

}  // namespace

std::vector<ProcessIdentity> processesWithEnvironmentEntry(const std::string& entry) {
    std::vector<ProcessIdentity> found;
    for (const auto& info : processes(KERN_PROC_ALL, 0)) {
        if (info.kp_proc.p_pid > 0 && environmentHolds(info.kp_proc.p_pid, entry)) found.push_back(fromKinfo(info));
    }
    return found;
}

#else

namespace {

// Plain reads: a process that goes away while its file is open fails the
// read, which must mean "gone", not an exception.
std::string statText(pid_t pid) {
    const int fd = ::open(("/proc/" + std::to_string(pid) + "/stat").c_str(), O_RDONLY | O_CLOEXEC);
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

}  // namespace

std::uint64_t startUnitsPerSecond() {
    static const long ticks = ::sysconf(_SC_CLK_TCK);
    return ticks > 0 ? static_cast<std::uint64_t>(ticks) : 100u;
}

std::optional<ProcessIdentity> identifyProcess(pid_t pid) {
    if (pid <= 0) return std::nullopt;
    const std::string text = statText(pid);
    // The command name may hold spaces and parentheses; the fields follow the last ')'.
    const auto close = text.rfind(')');
    if (close == std::string::npos) return std::nullopt;
    std::istringstream fields(text.substr(close + 1));
    std::string state;
    long parent = 0;
    long group = 0;
    fields >> state >> parent >> group;
    std::string skipped;
    for (int field = 6; field < 22 && fields; ++field) fields >> skipped;  // session … nice, threads, itrealvalue
    std::uint64_t started = 0;
    fields >> started;
    if (!fields || state == "Z" || state == "X") return std::nullopt;
    return ProcessIdentity{pid, static_cast<pid_t>(group), started};
}

std::vector<pid_t> processIds() {
    std::vector<pid_t> ids;
    DIR* proc = ::opendir("/proc");
    if (!proc) return ids;
    while (const dirent* entry = ::readdir(proc)) {
        const std::string name = entry->d_name;
        if (name.empty() || !std::isdigit(static_cast<unsigned char>(name[0]))) continue;
        ids.push_back(static_cast<pid_t>(std::stol(name)));
    }
    ::closedir(proc);
    return ids;
}

std::vector<ProcessIdentity> processGroupMembers(pid_t group) {
    std::vector<ProcessIdentity> members;
    if (group <= 0) return members;
    for (pid_t pid : processIds()) {
        const auto identity = identifyProcess(pid);
        if (identity && identity->group == group) members.push_back(*identity);
    }
    return members;
}

std::vector<ProcessIdentity> processesWithEnvironmentEntry(const std::string& entry) {
    std::vector<ProcessIdentity> found;
    for (pid_t pid : processIds()) {
        const int fd = ::open(("/proc/" + std::to_string(pid) + "/environ").c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        std::string text;
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            text.append(buffer, static_cast<std::size_t>(n));
        }
        ::close(fd);
        bool holds = false;
        for (std::size_t at = 0; at < text.size() && !holds;) {
            const auto end = std::min(text.find('\0', at), text.size());
            holds = text.compare(at, end - at, entry) == 0;
            at = end + 1;
        }
        if (!holds) continue;
        if (const auto identity = identifyProcess(pid)) found.push_back(*identity);
    }
    return found;
}

#endif

}  // namespace velmora
