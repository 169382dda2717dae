#include "sim/services/SimNotificationCenter.h"

namespace velmora::sim {

SimNotificationCenter::SimNotificationCenter(std::shared_ptr<Machine> machine, MachineClock clock)
    : machine_(std::move(machine)), clock_(Machine::clockOr(std::move(clock))), worker_([this] { workerLoop(); }) {}

SimNotificationCenter::~SimNotificationCenter() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    worker_.join();
}

NotificationAuthorization SimNotificationCenter::authorizationFromName(const std::string& name) {
    if (name == "denied") return NotificationAuthorization::denied;
    if (name == "authorized") return NotificationAuthorization::authorized;
    if (name == "provisional") return NotificationAuthorization::provisional;
    if (name == "ephemeral") return NotificationAuthorization::ephemeral;
    return NotificationAuthorization::notDetermined;
}

void SimNotificationCenter::enqueue(std::function<void()> work) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        work_.push_back(std::move(work));
    }
    wake_.notify_one();
}

// Work queued before destruction still runs: a completion the program waits
// for is never silently dropped.
void SimNotificationCenter::workerLoop() {
    for (;;) {
        std::function<void()> next;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !work_.empty(); });
            if (work_.empty()) return;
            next = std::move(work_.front());
            work_.pop_front();
        }
        next();
    }
}

void SimNotificationCenter::getAuthorizationStatus(std::function<void(NotificationAuthorization)> completion) {
    enqueue([machine = machine_, completion = std::move(completion)] {
        NotificationAuthorization status = NotificationAuthorization::notDetermined;
        try {
            status = authorizationFromName(machine->read().notificationAuthorization);
        } catch (const MachineError&) {
        }
        if (completion) completion(status);
    });
}

void SimNotificationCenter::requestAuthorization(
    std::function<void(bool granted, std::optional<std::string> error)> completion) {
    enqueue([machine = machine_, completion = std::move(completion)] {
        bool granted = false;
        std::optional<std::string> error;
        try {
            // Only an undecided user is asked; afterwards the request just
            // reports the decision already made.
            granted = machine->update([](MachineState& state) {
                if (state.notificationAuthorization == "notDetermined") {
                    state.notificationAuthorization = state.notificationRequestGranted ? "authorized" : "denied";
                }
                return state.notificationAuthorization != "denied" && state.notificationAuthorization != "notDetermined";
            });
        } catch (const MachineError& e) {
            error = e.what();
        }
        if (completion) completion(granted, error);
    });
}

void SimNotificationCenter::add(const NotificationRequest& request) {
    // Posted now, on the caller's clock; the worker may get to it later.
    enqueue([machine = machine_, request, posted = clock_()] {
        try {
            machine->update([&](MachineState& state) {
                auto status = authorizationFromName(state.notificationAuthorization);
                if (status == NotificationAuthorization::notDetermined || status == NotificationAuthorization::denied) {
                    return;  // not delivered, as for a user who has not allowed them
                }
                state.notifications.push_back({request.identifier, request.title, request.body, posted});
            });
        } catch (const MachineError&) {
        }
    });
}

}  // namespace velmora::sim
