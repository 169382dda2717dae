#include "foundation/process/ChildEnvironment.h"

#include <unistd.h>
#ifdef __APPLE__
#include <crt_externs.h>
#endif

#include <map>

#include "foundation/process/PosixProcessLauncher.h"

namespace velmora {

namespace {

// No macOS header declares `environ`, and a shared library there may not
// name it at all; the C library hands the live block out through a call.
char** liveEnvironment() {
#ifdef __APPLE__
    return *_NSGetEnviron();
#else
    return environ;
#endif
}

std::string withoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path == "/" ? std::string() : path;
}

std::string restrictedPath(const LauncherOptions& options) {
    const std::string root = withoutTrailingSlashes(*options.systemRoot);
    std::string path;
    for (const char* folder : {"/usr/bin", "/bin", "/usr/sbin", "/sbin"}) {
        if (!path.empty()) path += ':';
        path += root + folder;
    }
    for (const std::string& folder : options.hostUtilityFolders) path += ':' + folder;
    return path;
}

}  // namespace

ChildEnvironment::ChildEnvironment(const LauncherOptions& options) {
    if (!options.systemRoot && options.environment.empty()) return;
    inherit_ = false;

    std::map<std::string, std::string> variables;
    for (char** entry = liveEnvironment(); entry != nullptr && *entry != nullptr; ++entry) {
        const std::string text(*entry);
        const auto equals = text.find('=');
        if (equals == std::string::npos || equals == 0) continue;
        variables[text.substr(0, equals)] = text.substr(equals + 1);
    }
    if (options.systemRoot) variables["PATH"] = restrictedPath(options);
    for (const auto& [name, value] : options.environment) {
        if (name.empty() || name.find('=') != std::string::npos) continue;
        variables[name] = value;
    }

    entries_.reserve(variables.size());
    for (const auto& [name, value] : variables) entries_.push_back(name + '=' + value);
    pointers_.reserve(entries_.size() + 1);
    for (std::string& entry : entries_) pointers_.push_back(entry.data());
    pointers_.push_back(nullptr);
}

char* const* ChildEnvironment::block() const { return inherit_ ? liveEnvironment() : pointers_.data(); }

std::vector<std::string> ChildEnvironment::entriesWith(const std::map<std::string, std::string>& extra) const {
    std::vector<std::string> entries;
    for (char* const* entry = block(); entry != nullptr && *entry != nullptr; ++entry) {
        const std::string text(*entry);
        const auto equals = text.find('=');
        if (equals != std::string::npos && extra.count(text.substr(0, equals))) continue;
        entries.push_back(text);
    }
    for (const auto& [name, value] : extra) {
        if (name.empty() || name.find('=') != std::string::npos) continue;
        entries.push_back(name + '=' + value);
    }
    return entries;
}

}  // namespace velmora
