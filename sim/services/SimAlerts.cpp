#include "sim/services/SimAlerts.h"

#include <algorithm>

namespace velmora::sim {

std::size_t SimAlerts::runModal(const AlertRequest& request) {
    if (request.buttons.empty()) return 0;
    const int last = static_cast<int>(request.buttons.size());
    int chosen = 1;
    try {
        chosen = machine_->update([&](MachineState& state) {
            const int answer = std::clamp(state.alertAnswer, 1, last);
            state.alerts.push_back(
                {request.messageText, request.informativeText, request.buttons, answer, clock_()});
            return answer;
        });
    } catch (const MachineError&) {
        // An unreadable machine answers like a user pressing Return.
    }
    return static_cast<std::size_t>(chosen - 1);
}

}  // namespace velmora::sim
