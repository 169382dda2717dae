#include "foundation/dispatch/VirtualEventLoop.h"

#include <utility>

namespace velmora {

namespace {

// Pops the context even when a block throws, so a failing test leaves the
// loop usable.
class RunningContext {
public:
    RunningContext(std::vector<std::string>& stack, std::string context) : stack_(stack) {
        stack_.push_back(std::move(context));
    }
    ~RunningContext() { stack_.pop_back(); }
    RunningContext(const RunningContext&) = delete;
    RunningContext& operator=(const RunningContext&) = delete;

private:
    std::vector<std::string>& stack_;
};

}  // namespace

VirtualEventLoop::VirtualEventLoop(Date start) : now_(start) {}

std::optional<VirtualEventLoop::Key> VirtualEventLoop::schedule(Date at, std::string context, Block block) {
    if (closed_) return std::nullopt;
    return events_.push(at, Event{std::move(context), std::move(block)});
}

std::optional<VirtualEventLoop::Key> VirtualEventLoop::scheduleAfter(double seconds, std::string context,
                                                                     Block block) {
    return schedule(addSeconds(now_, seconds > 0 ? seconds : 0.0), std::move(context), std::move(block));
}

void VirtualEventLoop::cancel(const Key& key) {
    events_.erase(key);  // the event dies after the list is consistent again
}

void VirtualEventLoop::sleep(double seconds) {
    if (seconds > 0) now_ = addSeconds(now_, seconds);
}

void VirtualEventLoop::stall(double seconds) {
    const Date target = addSeconds(now_, seconds > 0 ? seconds : 0.0);
    runDueBy(target, false);
    if (now_ < target) now_ = target;
}

void VirtualEventLoop::advance(double seconds) {
    const Date target = addSeconds(now_, seconds > 0 ? seconds : 0.0);
    runDueBy(target, false);
    // A block that slept past the target has already moved the clock further;
    // time never runs backwards.
    if (now_ < target) now_ = target;
}

void VirtualEventLoop::runUntilIdle() {
    runDueBy(now_, true);
}

void VirtualEventLoop::runDueBy(Date limit, bool limitFollowsClock) {
    for (;;) {
        if (limitFollowsClock) limit = now_;
        auto due = running_.empty() ? events_.popDue(limit)
                                    : events_.popDueIf(limit, [this](const Event& e) { return !isBusy(e.context); });
        if (!due) return;
        // Work that fell due while a block slept runs late, at the current time.
        if (now_ < due->first.first) now_ = due->first.first;
        Event event = std::move(due->second);
        RunningContext running(running_, std::move(event.context));
        if (event.block) event.block();
    }
}

bool VirtualEventLoop::isBusy(const std::string& context) const {
    if (context == globalContext) return false;
    for (const auto& running : running_) {
        if (running == context) return true;
    }
    return false;
}

std::size_t VirtualEventLoop::pendingCount(const std::string& context) const {
    return events_.countIf([&](const Event& e) { return e.context == context; });
}

std::string VirtualEventLoop::currentContext() const {
    return running_.empty() ? std::string{} : running_.back();
}

bool VirtualEventLoop::isMainContext() const {
    return running_.empty() || running_.back() == mainContext;
}

void VirtualEventLoop::close() {
    closed_ = true;
    // Destroying a block may release objects whose destructors schedule more
    // work; that is refused now, so this loop ends.
    while (!events_.empty()) events_.takeAll();
}

}  // namespace velmora
