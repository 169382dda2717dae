#include "system/SharedSystemMonitor.h"

#include <algorithm>
#include <utility>

#include "system/TopSample.h"

namespace velmora {

std::shared_ptr<SharedSystemMonitor> SharedSystemMonitor::create(Platform platform) {
    std::shared_ptr<SharedSystemMonitor> monitor(new SharedSystemMonitor(std::move(platform)));
    monitor->startMonitoring();
    return monitor;
}

SharedSystemMonitor::SharedSystemMonitor(Platform platform)
    : lastUpdate(platform.scheduler->now()), platform_(std::move(platform)) {}

SharedSystemMonitor::~SharedSystemMonitor() {
    if (timer_) timer_->invalidate();
}

RunSpec SharedSystemMonitor::topRequest() {
    RunSpec request;
    request.program = "/usr/bin/top";
    // Two samples one second apart: the first has no earlier sample to
    // measure against and reads 0.0 %CPU everywhere.
    request.arguments = {"-l", "2", "-s", "1", "-o", "cpu", "-n", "10"};
    request.output = OutputWiring::pipe;
    request.error = ErrorWiring::inherit;
    request.deadlineSeconds = topDeadlineSeconds;
    return request;
}

void SharedSystemMonitor::startMonitoring() {
    timer_ = platform_.scheduler->scheduleRepeatingTimer(checkIntervalSeconds, [weak = weak_from_this()] {
        if (auto self = weak.lock()) self->startCycle();
    });
    startCycle();
}

void SharedSystemMonitor::startCycle() {
    auto pass = gate_.tryEnter();
    if (!pass) return;
    platform_.scheduler->asyncGlobal(QualityOfService::background,
                                     [weak = weak_from_this(), pass = std::move(pass)]() mutable {
                                         if (auto self = weak.lock()) self->checkLargeApps(std::move(pass));
                                     });
}

void SharedSystemMonitor::checkLargeApps(TickGate::PassHandle pass) {
    const RunResult result = platform_.processes->run(topRequest());
    std::weak_ptr<SharedSystemMonitor> weak = weak_from_this();
    if (!result.started()) {
        platform_.diagnostics->line("Large apps check failed: " + result.errorDescription);
        platform_.scheduler->asyncMain([weak, pass = std::move(pass)] {
            if (auto self = weak.lock()) self->finishCycle(nullptr);
        });
        return;
    }
    const std::vector<std::string> names = heavyApplicationsInTop(result.output);
    platform_.scheduler->asyncMain([weak, names, pass = std::move(pass)] {
        if (auto self = weak.lock()) self->finishCycle(&names);
    });
}

void SharedSystemMonitor::finishCycle(const std::vector<std::string>* names) {
    if (names) {
        std::vector<std::string> distinct;
        for (const auto& name : *names) {
            if (std::find(distinct.begin(), distinct.end(), name) == distinct.end()) distinct.push_back(name);
        }
        if (distinct.size() > maximumLargeApps) distinct.resize(maximumLargeApps);
        runningLargeApps.set(std::move(distinct));
    }
    checkPowerStatus();
    lastUpdate.set(platform_.scheduler->now());
}

void SharedSystemMonitor::checkPowerStatus() {
    const bool heavy = !runningLargeApps.get().empty();
    const StringTable& strings = *platform_.strings;
    usbcPowerMode.set(heavy ? strings.localized("high_performance", "High Performance")
                            : strings.localized("standard", "Standard"));
    powerStatus.set(heavy ? strings.localized("power_interruption_protection_active",
                                              "Power Interruption Protection Active")
                          : strings.localized("status_normal", "Normal"));
}

}  // namespace velmora
