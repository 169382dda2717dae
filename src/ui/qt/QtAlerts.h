#pragma once
// Modal alerts as Qt message boxes: the message as the text, the informative
// text below it, the buttons in order with the first as the default. Like a
// Mac's modal alert the call returns once a button is chosen; meanwhile the
// box's own event loop keeps Qt's events, and with them the scheduler's main
// queue, running.
#include <memory>

#include "platform/Alerts.h"

namespace velmora {

class QtAlerts final : public Alerts {
public:
    // `noWidgets` answers where no box can be made: without a Qt application
    // (a headless run) or off its thread. Without it the default button is
    // taken, as Return would.
    explicit QtAlerts(std::shared_ptr<Alerts> noWidgets = nullptr) : noWidgets_(std::move(noWidgets)) {}
    // Main thread. A box closed without a button (Escape, or the program
    // quitting under it) answers with the last button, the one that changes
    // nothing in each of the program's alerts ("OK").
    std::size_t runModal(const AlertRequest& request) override;

private:
    std::shared_ptr<Alerts> noWidgets_;
};

}  // namespace velmora
