#include "sim/state/ScenarioLibrary.h"

#include <algorithm>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

#ifndef VELMORA_SIM_SCENARIOS_DIR
#define VELMORA_SIM_SCENARIOS_DIR "sim/scenarios"
#endif

namespace velmora::sim {

namespace {

const std::string kMachineMarker = "@MACHINE@";

void placeMountPoint(std::optional<std::string>& mountPoint, const std::string& machineDir) {
    if (mountPoint && mountPoint->rfind(kMachineMarker, 0) == 0) {
        *mountPoint = machineDir + mountPoint->substr(kMachineMarker.size());
    }
}

double placeTime(double time, double now) { return time < 0 ? now + time : time; }

}  // namespace

std::string ScenarioLibrary::defaultFolder() { return VELMORA_SIM_SCENARIOS_DIR; }

std::string ScenarioLibrary::folderFor(const std::string& programFolder) {
    struct stat info {};
    if (::stat(defaultFolder().c_str(), &info) == 0) return defaultFolder();
    return programFolder + "/scenarios";
}

ScenarioLibrary::ScenarioLibrary(std::string folder) : folder_(std::move(folder)) {}

std::vector<std::string> ScenarioLibrary::names() const {
    std::vector<std::string> found;
    if (DIR* dir = ::opendir(folder_.c_str())) {
        while (dirent* entry = ::readdir(dir)) {
            std::string name = entry->d_name;
            if (name.size() > 5 && name.compare(name.size() - 5, 5, ".json") == 0) found.push_back(name.substr(0, name.size() - 5));
        }
        ::closedir(dir);
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::string ScenarioLibrary::fileFor(const std::string& name) const { return folder_ + "/" + name + ".json"; }

MachineState ScenarioLibrary::load(const std::string& name, const std::string& machineDir, double now) const {
    if (name.empty() || name.find('/') != std::string::npos) throw MachineError("no such scenario: " + name);
    return loadFile(fileFor(name), machineDir, now);
}

MachineState ScenarioLibrary::loadFile(const std::string& path, const std::string& machineDir, double now) {
    std::ifstream in(path);
    if (!in) throw MachineError("no such scenario file: " + path);
    std::stringstream text;
    text << in.rdbuf();
    MachineState state = stateFromText(text.str());
    for (auto& disk : state.disks) {
        for (auto& volume : disk.volumes) placeMountPoint(volume.mountPoint, machineDir);
    }
    for (auto& entry : state.log) entry.time = placeTime(entry.time, now);
    for (auto& process : state.processes) {
        if (process.launchTime) process.launchTime = placeTime(*process.launchTime, now);
    }
    for (auto& assertion : state.assertions) assertion.created = placeTime(assertion.created, now);
    std::sort(state.log.begin(), state.log.end(), [](const LogEntry& a, const LogEntry& b) { return a.time < b.time; });
    return state;
}

}  // namespace velmora::sim
