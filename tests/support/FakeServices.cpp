#include "support/FakeServices.h"

namespace velmora::testing {

int FakePowerAssertions::create(const std::string& type, int level, const std::string& name, std::uint32_t& id) {
    std::lock_guard lock(mutex_);
    ++calls_[type];
    if (auto it = failures_.find(type); it != failures_.end()) return it->second;
    id = ++nextId_;
    held_[id] = Held{type, level, name};
    return 0;
}

int FakePowerAssertions::release(std::uint32_t id) {
    std::lock_guard lock(mutex_);
    return held_.erase(id) ? 0 : -536870206;  // kIOReturnBadArgument
}

void FakePowerAssertions::failCreate(const std::string& type, int status) {
    std::lock_guard lock(mutex_);
    failures_[type] = status;
}

std::map<std::uint32_t, FakePowerAssertions::Held> FakePowerAssertions::held() const {
    std::lock_guard lock(mutex_);
    return held_;
}

std::size_t FakePowerAssertions::heldCount(const std::string& type) const {
    std::lock_guard lock(mutex_);
    std::size_t n = 0;
    for (const auto& [id, h] : held_)
        if (h.type == type) ++n;
    return n;
}

int FakePowerAssertions::createCalls(const std::string& type) const {
    std::lock_guard lock(mutex_);
    auto it = calls_.find(type);
    return it == calls_.end() ? 0 : it->second;
}

std::vector<RunningApplication> FakeWorkspace::runningApplications() {
    std::lock_guard lock(mutex_);
    return apps_;
}

bool FakeWorkspace::openURL(const std::string& url) {
    std::lock_guard lock(mutex_);
    urls_.push_back(url);
    return true;
}

void FakeWorkspace::setApplications(std::vector<RunningApplication> apps) {
    std::lock_guard lock(mutex_);
    apps_ = std::move(apps);
}

std::vector<std::string> FakeWorkspace::openedURLs() const {
    std::lock_guard lock(mutex_);
    return urls_;
}

RunningApplication FakeWorkspace::app(const std::string& bundleId, const std::string& name, int pid) {
    RunningApplication a;
    a.processIdentifier = pid;
    a.bundleIdentifier = bundleId;
    a.localizedName = name;
    return a;
}

void FakeNotificationCenter::getAuthorizationStatus(std::function<void(NotificationAuthorization)> completion) {
    NotificationAuthorization status;
    {
        std::lock_guard lock(mutex_);
        status = status_;
    }
    completion(status);
}

void FakeNotificationCenter::requestAuthorization(std::function<void(bool, std::optional<std::string>)> completion) {
    bool granted;
    std::optional<std::string> error;
    {
        std::lock_guard lock(mutex_);
        ++requests_;
        granted = granted_;
        error = error_;
    }
    completion(granted, error);
}

void FakeNotificationCenter::add(const NotificationRequest& request) {
    std::lock_guard lock(mutex_);
    delivered_.push_back(request);
}

void FakeNotificationCenter::setStatus(NotificationAuthorization status) {
    std::lock_guard lock(mutex_);
    status_ = status;
}

void FakeNotificationCenter::setRequestAnswer(bool granted, std::optional<std::string> error) {
    std::lock_guard lock(mutex_);
    granted_ = granted;
    error_ = std::move(error);
}

std::vector<NotificationRequest> FakeNotificationCenter::delivered() const {
    std::lock_guard lock(mutex_);
    return delivered_;
}

int FakeNotificationCenter::requestCount() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

AppleScriptOutcome FakeAppleScriptRunner::execute(const std::string& source) {
    std::lock_guard lock(mutex_);
    sources_.push_back(source);
    return answer_;
}

void FakeAppleScriptRunner::setAnswer(AppleScriptOutcome outcome) {
    std::lock_guard lock(mutex_);
    answer_ = std::move(outcome);
}

std::vector<std::string> FakeAppleScriptRunner::sources() const {
    std::lock_guard lock(mutex_);
    return sources_;
}

std::size_t FakeAlerts::runModal(const AlertRequest& request) {
    std::lock_guard lock(mutex_);
    shown_.push_back(request);
    return answer_;
}

void FakeAlerts::setAnswer(std::size_t button) {
    std::lock_guard lock(mutex_);
    answer_ = button;
}

std::vector<AlertRequest> FakeAlerts::shown() const {
    std::lock_guard lock(mutex_);
    return shown_;
}

}  // namespace velmora::testing
