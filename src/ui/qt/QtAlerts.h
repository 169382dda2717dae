#pragma once
// Modal alerts as Qt message boxes: the message as the text, the informative
// text below it, the buttons in order with the first as the default.
#include "platform/Alerts.h"

namespace velmora {

class QtAlerts final : public Alerts {
public:
    // Main thread. Without a Qt application (a headless run) nobody can
    // answer, so the default button is taken, as Return would.
    std::size_t runModal(const AlertRequest& request) override;
};

}  // namespace velmora
