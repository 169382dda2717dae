#pragma once
// The status menu's start at login: a hidden login item made through
// "System Events", the outcome recorded under "AutoStartEnabled", and a
// dialog towards the settings when automation is refused. The scripts may wait
// for the user's automation prompt, so the menu's calls run them on a serial
// queue of their own and answer on the main thread.
#include <functional>
#include <memory>

#include "platform/Platform.h"

namespace velmora {

class AutoStart : public std::enable_shared_from_this<AutoStart> {
public:
    static constexpr const char* enabledKey = "AutoStartEnabled";
    static constexpr long automationNotAllowed = -1743;
    static constexpr const char* automationSettingsURL =
        "x-apple.systempreferences:com.apple.preference.security?Privacy_Automation";
    static constexpr const char* loginItemsSettingsURL = "x-apple.systempreferences:com.apple.LoginItems-Settings.extension";

    static std::shared_ptr<AutoStart> create(Platform platform);

    // Main thread: queue the work.
    void toggleAutoStart();
    // `answer` runs on the main thread with `isAutoStartEnabled()`.
    void checkAutoStart(std::function<void(bool)> answer);

    // The blocking steps, for the queue.
    bool isAutoStartEnabled();
    void enableAutoStart();
    void disableAutoStart();

    // Any thread; the dialog runs on the main thread.
    void showAutomationPermissionDialog();

private:
    explicit AutoStart(Platform platform);
    void say(const std::string& line) const { platform_.diagnostics->line(line); }
    void runAutomationPermissionDialog();

    Platform platform_;
    std::shared_ptr<SerialQueue> queue_;
};

}  // namespace velmora
