#include "app/StatusMenu.h"

namespace velmora {

const std::vector<StatusMenuEntry>& StatusMenu::entries() {
    static const std::vector<StatusMenuEntry> menu = {
        {false, "Show Window", StatusMenuAction::showMainWindow, "", true},
        {true, "", StatusMenuAction::showMainWindow, "", false},
        {false, "Start at Login", StatusMenuAction::toggleAutoStart, "", true},
        {true, "", StatusMenuAction::showMainWindow, "", false},
        {false, "Quit", StatusMenuAction::terminate, "q", false},
    };
    return menu;
}

void StatusMenu::setup(AutoStart& autoStart) {
    autoStart.checkAutoStart([weak = weak_from_this()](bool enabled) {
        if (auto self = weak.lock()) self->startAtLoginChecked.set(enabled);
    });
}

}  // namespace velmora
