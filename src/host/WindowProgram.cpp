#include "host/WindowProgram.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace velmora {

namespace {

bool isSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

// Only built where the window is a program of its own, which is off a Mac.
std::string besideThisProgram(const std::string& name) {
#ifdef __linux__
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || self.empty()) return {};
    return (self.parent_path() / name).string();
#else
    (void)name;
    return {};
#endif
}

}  // namespace

std::string missingDisplay() {
    if (isSet("DISPLAY") || isSet("WAYLAND_DISPLAY") || isSet("QT_QPA_PLATFORM")) return {};
    return "no display (DISPLAY and WAYLAND_DISPLAY are not set)";
}

std::string handOverToWindowProgram(const std::string& program, char** argv) {
    const std::string path = program.rfind('/', 0) == 0 ? program : besideThisProgram(program);
    if (path.empty()) return "the window program " + program + " cannot be found";
    ::execv(path.c_str(), argv);
    return "the window program " + path + " cannot be started: " + std::strerror(errno);
}

}  // namespace velmora
