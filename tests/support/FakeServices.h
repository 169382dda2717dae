#pragma once
// Test doubles for the platform services other than processes.
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Alerts.h"
#include "platform/AppleScript.h"
#include "platform/Notifications.h"
#include "platform/PowerAssertions.h"
#include "platform/Workspace.h"

namespace velmora::testing {

class FakePowerAssertions final : public PowerAssertions {
public:
    struct Held { std::string type; int level; std::string name; };
    int create(const std::string& type, int level, const std::string& name, std::uint32_t& id) override;
    int release(std::uint32_t id) override;

    void failCreate(const std::string& type, int status);  // next creates of that type fail
    std::map<std::uint32_t, Held> held() const;
    std::size_t heldCount(const std::string& type) const;
    int createCalls(const std::string& type) const;
private:
    mutable std::mutex mutex_;
    std::uint32_t nextId_ = 1000;
    std::map<std::uint32_t, Held> held_;
    std::map<std::string, int> failures_;
    std::map<std::string, int> calls_;
};

class FakeWorkspace final : public Workspace {
public:
    std::vector<RunningApplication> runningApplications() override;
    bool openURL(const std::string& url) override;
    void setApplications(std::vector<RunningApplication> apps);
    std::vector<std::string> openedURLs() const;
    static RunningApplication app(const std::string& bundleId, const std::string& name, int pid = 100);
private:
    mutable std::mutex mutex_;
    std::vector<RunningApplication> apps_;
    std::vector<std::string> urls_;
};

class FakeNotificationCenter final : public NotificationCenter {
public:
    void getAuthorizationStatus(std::function<void(NotificationAuthorization)> completion) override;
    void requestAuthorization(std::function<void(bool, std::optional<std::string>)> completion) override;
    void add(const NotificationRequest& request) override;
    void setStatus(NotificationAuthorization status);
    void setRequestAnswer(bool granted, std::optional<std::string> error = std::nullopt);
    std::vector<NotificationRequest> delivered() const;
    int requestCount() const;
    std::optional<std::string> unavailableReason() const override { return unavailable; }
    std::optional<std::string> unavailable;  // set before use
private:
    mutable std::mutex mutex_;
    NotificationAuthorization status_ = NotificationAuthorization::notDetermined;
    bool granted_ = true;
    std::optional<std::string> error_;
    std::vector<NotificationRequest> delivered_;
    int requests_ = 0;
};

class FakeAppleScriptRunner final : public AppleScriptRunner {
public:
    AppleScriptOutcome execute(const std::string& source) override;
    void setAnswer(AppleScriptOutcome outcome);
    std::vector<std::string> sources() const;
private:
    mutable std::mutex mutex_;
    AppleScriptOutcome answer_;
    std::vector<std::string> sources_;
};

class FakeAlerts final : public Alerts {
public:
    std::size_t runModal(const AlertRequest& request) override;
    void setAnswer(std::size_t button);
    std::vector<AlertRequest> shown() const;
private:
    mutable std::mutex mutex_;
    std::size_t answer_ = 0;
    std::vector<AlertRequest> shown_;
};

}  // namespace velmora::testing
