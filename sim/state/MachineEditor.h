#pragma once
// Changes made to a live machine from outside the program: plugging and
// unplugging USB disks, mounting, log lines, applications, faults. Every
// change is one locked update of the state; names are stored exactly as
// given and never pass through a shell. Failures throw MachineError (the
// simulator's own tools turn it into an error message and exit status).
#include <cstdint>
#include <optional>
#include <string>

#include "sim/state/Machine.h"

namespace velmora::sim {

struct PlugOptions {
    std::string mediaName;
    std::string volumeName;                 // empty: the media name
    std::int64_t size = 500107862016;
    std::string bridge = "RTL9210B-CG";     // RTL9210B-CG, RTL9210, ASM1153E, JMS567, NONE
    std::string fileSystem = "ExFAT";       // APFS, ExFAT, MS-DOS, HFS+
    std::optional<std::string> productName; // USB product name; default from the bridge
};

enum class UsbFault { timeout, error, clear };

struct AppStartOptions {
    std::string name;
    std::string bundleIdentifier;
    double cpu = 0;
    std::optional<std::string> bundlePath;        // default /Applications/NAME.app
    std::optional<std::string> workingDirectory;  // absolute; default "/"
    int activationPolicy = 0;                     // 0 regular, 1 accessory, 2 prohibited
    double launchedSecondsAgo = 0;
};

class MachineEditor {
public:
    // Longest delay a slow tool may be given: a run still ends within its caller's patience.
    static constexpr double maximumSlowSeconds = 3600;

    // `clock` dates log lines and application launches; empty: the host's wall clock.
    explicit MachineEditor(Machine& machine, MachineClock clock = {})
        : machine_(machine), clock_(Machine::clockOr(std::move(clock))) {}

    static bool isKnownBridge(const std::string& bridge);
    static bool isKnownFileSystem(const std::string& fileSystem);

    // Attaches the disk behind a new USB device, mounts its volume and logs
    // the attach; returns the physical whole disk's identifier.
    std::string plug(const PlugOptions& options);
    // Attaches a mounted disk image (no USB device behind it), as after
    // opening a .dmg; returns its whole-disk identifier.
    std::string attachImage(const std::string& volumeName, std::int64_t size);
    // Detaches a whole disk with everything behind the same USB device.
    void unplug(const std::string& identifier);
    // Volume or whole-disk identifier; returns the mount point.
    std::string mount(const std::string& identifier);
    void unmount(const std::string& identifier);

    void appendLog(const std::string& message, const std::string& process = "kernel", int pid = 0);
    void addEnumerationFailures(int count, const std::string& name);

    int startApplication(const std::string& name, const std::string& bundleIdentifier, double cpu,
                         const std::optional<std::string>& bundlePath);
    int startApplication(const AppStartOptions& options);
    // Returns whether a process of that name was running.
    bool stopApplication(const std::string& name);

    void setToolFault(const std::string& tool, ToolFault fault);  // none clears
    // The tool answers as usual, but only after waiting `seconds`.
    void setToolSlow(const std::string& tool, double seconds);
    void setUsbFault(const std::string& diskIdentifier, UsbFault fault);
    void setVanishesOnInfo(const std::string& diskIdentifier, bool vanishes);

private:
    Machine& machine_;
    MachineClock clock_;
};

}  // namespace velmora::sim
