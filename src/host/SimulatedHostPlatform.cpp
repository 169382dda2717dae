// The host platform on anything that is not a Mac: a simulated Mac. Without
// --machine or $VELMORA_MACHINE the program keeps one of its own in the
// user's data folder, made from the "default" scenario on first use, so that
// it runs with no set-up; the system tools never run against the host.
#include <climits>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <unistd.h>

#include "app/root/HeadlessFrontend.h"
#include "host/HostPlatform.h"
#include "sim/services/SimPlatform.h"
#include "sim/state/Machine.h"
#include "sim/state/MachineFolder.h"
#include "sim/state/ScenarioLibrary.h"

#ifndef VELMORA_RESOURCES_DIR
#define VELMORA_RESOURCES_DIR "resources"
#endif

namespace velmora {

namespace {

namespace fs = std::filesystem;

bool isMachine(const std::string& dir) {
    std::error_code ignored;
    return fs::is_regular_file(dir + "/.velmora-sim/state.json", ignored);
}

std::string programFolder() {
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return ".";
    return fs::path(std::string(path, static_cast<std::size_t>(n))).parent_path().string();
}

// $XDG_DATA_HOME/velmora/machine, or ~/.local/share/velmora/machine when
// that is unset or not absolute (as the XDG rules say).
std::optional<std::string> defaultMachineFolder() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && data[0] == '/') return std::string(data) + "/velmora/machine";
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return std::string(home) + "/.local/share/velmora/machine";
    return std::nullopt;
}

// The stand-in tool binary: beside the program when installed, in the build
// tree's sim folder otherwise.
std::optional<std::string> toolBinary() {
    const std::string folder = programFolder();
    for (const auto& candidate : {folder + "/velmora-sim-tool", folder + "/../sim/velmora-sim-tool"}) {
        if (::access(candidate.c_str(), X_OK) == 0) return fs::weakly_canonical(candidate).string();
    }
    return std::nullopt;
}

std::optional<std::string> makeDefaultMachine(const std::string& dir, Diagnostics& say) {
    const auto tool = toolBinary();
    if (!tool) {
        say.line("❌ Simüle Mac oluşturulamadı: velmora-sim-tool bulunamadı (" + programFolder() + ")");
        return std::nullopt;
    }
    try {
        fs::create_directories(fs::path(dir).parent_path());
        const auto state = sim::ScenarioLibrary(sim::ScenarioLibrary::folderFor(programFolder()))
                               .load("default", dir, sim::Machine::now());
        return sim::MachineFolder::create(dir, state, *tool);
    } catch (const std::exception& error) {
        say.line("❌ Simüle Mac oluşturulamadı: " + dir + ": " + error.what());
        return std::nullopt;
    }
}

}  // namespace

std::optional<Platform> makeHostPlatform(const LaunchOptions& options, std::shared_ptr<Scheduler> scheduler,
                                         std::shared_ptr<Diagnostics> diagnostics) {
    std::string dir;
    if (options.machine) {
        // A folder the user named is never made or changed into a machine.
        if (!isMachine(*options.machine)) {
            diagnostics->line("❌ Simüle Mac bulunamadı: " + *options.machine +
                              ". Önce bir tane oluşturun: velmora-sim init DIR --scenario default");
            return std::nullopt;
        }
        dir = *options.machine;
    } else {
        const auto folder = defaultMachineFolder();
        if (!folder) {
            diagnostics->line(
                "❌ Simüle Mac için bir klasör yok: $HOME ve $XDG_DATA_HOME tanımsız; --machine DIR verin");
            return std::nullopt;
        }
        if (isMachine(*folder)) {
            dir = *folder;
            diagnostics->line("🖥️ Simüle Mac: " + dir);
        } else {
            const auto made = makeDefaultMachine(*folder, *diagnostics);
            if (!made) return std::nullopt;
            dir = *made;
            diagnostics->line("🖥️ Yeni simüle Mac oluşturuldu (default senaryosu): " + dir);
        }
    }
    sim::SimulatedPlatformOptions simOptions;
    simOptions.bundlePath = options.bundlePath;
    simOptions.strings =
        std::make_shared<StringTable>(StringTable::loadFile(std::string(VELMORA_RESOURCES_DIR) + "/en.strings"));
    auto platform = withSharedQueries(sim::makeSimulatedPlatform(dir, std::move(scheduler), std::move(diagnostics), simOptions));
    return withHistory(std::move(platform), sim::historyFileFor(dir));
}

std::optional<std::string> hostHistoryFile(const std::optional<std::string>& machine, std::ostream& err) {
    if (machine) {
        if (!isMachine(*machine)) {
            err << "velmora history: no simulated Mac at " << *machine << "\n";
            return std::nullopt;
        }
        return sim::historyFileFor(*machine);
    }
    const auto folder = defaultMachineFolder();
    if (!folder || !isMachine(*folder)) {
        err << "velmora history: no simulated Mac yet; name one with --machine DIR\n";
        return std::nullopt;
    }
    return sim::historyFileFor(*folder);
}

std::shared_ptr<Frontend> makeHeadlessFrontend(std::shared_ptr<RealScheduler> scheduler) {
    return std::make_shared<HeadlessFrontend>(std::move(scheduler));
}

}  // namespace velmora
