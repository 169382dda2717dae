#include "sim/services/SimPowerAssertions.h"

#include <algorithm>
#include <unistd.h>

namespace velmora::sim {

SimPowerAssertions::~SimPowerAssertions() {
    if (made_.empty()) return;
    try {
        machine_->update([&](MachineState& state) {
            auto& list = state.assertions;
            list.erase(std::remove_if(list.begin(), list.end(), [&](const Assertion& a) { return made_.count(a.id) > 0; }),
                       list.end());
            return 0;
        });
    } catch (const MachineError&) {
        // The machine is gone or unreadable: nothing left to clean.
    }
}

int SimPowerAssertions::create(const std::string& type, int level, const std::string& name, std::uint32_t& id) {
    try {
        id = machine_->update([&](MachineState& state) {
            Assertion assertion;
            assertion.id = state.nextAssertionId++;
            if (assertion.id == 0) assertion.id = state.nextAssertionId++;
            assertion.type = type;
            assertion.name = name;
            assertion.level = level;
            assertion.pid = static_cast<int>(::getpid());
            assertion.created = clock_();
            state.assertions.push_back(assertion);
            return assertion.id;
        });
        std::lock_guard lock(mutex_);
        made_.insert(id);
        return 0;
    } catch (const MachineError&) {
        return kIOReturnError;
    }
}

int SimPowerAssertions::release(std::uint32_t id) {
    try {
        bool held = machine_->update([&](MachineState& state) {
            auto& list = state.assertions;
            auto it = std::find_if(list.begin(), list.end(), [&](const Assertion& a) { return a.id == id; });
            if (it == list.end()) return false;
            list.erase(it);
            return true;
        });
        std::lock_guard lock(mutex_);
        made_.erase(id);
        return held ? 0 : kIOReturnBadArgument;
    } catch (const MachineError&) {
        return kIOReturnError;
    }
}

}  // namespace velmora::sim
