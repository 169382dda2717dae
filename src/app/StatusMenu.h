#pragma once
// The menu-bar status item and its menu, as data a view draws: the icon, the
// items in order with their actions and key equivalents, and the check state
// of "Start at Login". The check state is asked of "System Events" off the
// main thread once, at set-up; the item reads off until the answer arrives
// and is not recomputed after a toggle.
#include <memory>
#include <string>
#include <vector>

#include "app/AutoStart.h"
#include "foundation/published/Published.h"

namespace velmora {

enum class StatusMenuAction { showMainWindow, toggleAutoStart, terminate };

struct StatusMenuEntry {
    bool isSeparator = false;
    std::string title;
    StatusMenuAction action = StatusMenuAction::showMainWindow;
    std::string keyEquivalent;     // with Command; empty for none
    bool targetsDelegate = false;  // false: the responder chain delivers it to the application
};

struct StatusItemAppearance {
    double length = -2;  // the system's square length
    std::string symbolName = "externaldrive";
    std::string accessibilityDescription = "Velmora";
    std::string title;   // empty: the image only
};

class StatusMenu : public std::enable_shared_from_this<StatusMenu> {
public:
    static std::shared_ptr<StatusMenu> create() { return std::shared_ptr<StatusMenu>(new StatusMenu()); }

    static const std::vector<StatusMenuEntry>& entries();
    static StatusItemAppearance appearance() { return {}; }

    Published<bool> startAtLoginChecked{false};

    // Main thread. Starts the login-item query; the answer sets the check.
    void setup(AutoStart& autoStart);

private:
    StatusMenu() = default;
};

}  // namespace velmora
