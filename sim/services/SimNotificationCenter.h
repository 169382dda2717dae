#pragma once
// The simulator's stand-in for the user-notification center: authorization
// status and the answer to a permission request come from the machine state,
// and delivered notifications are recorded there with their time. As with
// the real framework, completions run on a background thread, never on the
// caller's; they run in order on one worker thread that the destructor
// drains and joins.
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/Notifications.h"
#include "sim/state/Machine.h"

namespace velmora::sim {

class SimNotificationCenter final : public NotificationCenter {
public:
    explicit SimNotificationCenter(std::shared_ptr<Machine> machine, MachineClock clock = {});
    ~SimNotificationCenter() override;
    SimNotificationCenter(const SimNotificationCenter&) = delete;
    SimNotificationCenter& operator=(const SimNotificationCenter&) = delete;

    void getAuthorizationStatus(std::function<void(NotificationAuthorization)> completion) override;
    void requestAuthorization(std::function<void(bool granted, std::optional<std::string> error)> completion) override;
    void add(const NotificationRequest& request) override;

    static NotificationAuthorization authorizationFromName(const std::string& name);

private:
    void enqueue(std::function<void()> work);
    void workerLoop();

    std::shared_ptr<Machine> machine_;
    MachineClock clock_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> work_;
    bool stopping_ = false;
    std::thread worker_;
};

}  // namespace velmora::sim
