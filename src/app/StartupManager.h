#pragma once
// Start at login for the main window's toggle: a visible login item made
// through "System Events", remembered under "startupItemAdded", with manual
// instructions and an alert when it cannot be added. The scripts may wait for
// the user's automation prompt, so they run on this manager's own serial
// queue; `isStartupEnabled` is written on the main thread.
#include <memory>
#include <string>

#include "foundation/published/Published.h"
#include "platform/Platform.h"

namespace velmora {

class StartupManager : public std::enable_shared_from_this<StartupManager> {
public:
    static constexpr const char* addedKey = "startupItemAdded";
    static constexpr const char* loginItemsSettingsURL = "x-apple.systempreferences:com.apple.LoginItems-Settings.extension";

    // Main thread; starts `checkStartupStatus()`.
    static std::shared_ptr<StartupManager> create(Platform platform);

    Published<bool> isStartupEnabled{false};
    const std::string bundleIdentifier;

    // Main thread: each queues its script and publishes the outcome on the
    // main thread.
    void checkStartupStatus();
    void enableStartup();
    void disableStartup();

    // The blocking steps, for the queue.
    bool isAppInLoginItems();
    bool addToLoginItems();
    bool removeFromLoginItems();

    // Main thread. Prints the steps, then schedules the alert.
    void showManualStartupInstructions();
    void showManualInstructionsAlert();

private:
    explicit StartupManager(Platform platform);
    void say(const std::string& line) const { platform_.diagnostics->line(line); }
    bool storedFlag() const { return platform_.defaults->boolValue(addedKey); }
    // Runs `work` on the queue and `then` with its answer on the main thread,
    // as long as this manager lives.
    void onQueue(bool (StartupManager::*work)(), void (StartupManager::*then)(bool));
    void finishCheck(bool present);
    void finishEnable(bool added);
    void finishDisable(bool removed);

    Platform platform_;
    std::shared_ptr<SerialQueue> queue_;
};

}  // namespace velmora
