#include "app/NotificationPath.h"

namespace velmora {

void NotificationPath::add(const NotificationRequest& request) {
    if (!system_->unavailableReason()) {
        system_->add(request);
    } else if (fallback_) {
        fallback_(request);
    }
}

std::optional<std::string> NotificationPath::unavailableReason() const {
    auto reason = system_->unavailableReason();
    if (reason) *reason += fallback_ ? "; notifications appear on the menu-bar item instead" : "; notifications are not shown";
    return reason;
}

}  // namespace velmora
