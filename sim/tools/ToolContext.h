#pragma once
// What one stand-in tool run sees: the machine, a snapshot of its state, the
// name it was started under, the clock, and the buffers its output goes to.
// Tools write into the buffers and return an exit status; the runner decides
// what reaches the real streams (faults, journal), so a tool runs the same
// in-process and as its own process.
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "sim/state/Machine.h"
#include "sim/state/MachineState.h"

namespace velmora::sim {

class ToolContext {
public:
    using Sleeper = std::function<void(double seconds)>;

    ToolContext(Machine& machine, std::string invokedAs, double now, Sleeper sleeper);

    Machine& machine() { return machine_; }
    // Loaded once per run; `update` keeps it current.
    const MachineState& state();
    void setState(MachineState state) { state_ = std::move(state); }

    // Read-modify-write of the machine; the snapshot follows the change.
    template <typename F>
    auto update(F&& change) {
        return machine_.update([&](MachineState& s) {
            struct Refresh {
                ToolContext& context;
                MachineState& state;
                ~Refresh() { context.state_ = state; }
            } refresh{*this, s};
            return change(s);
        });
    }

    // argv[0] as the caller gave it (pmset echoes it back in its refusal).
    const std::string& invokedAs() const { return invokedAs_; }
    // argv[0] as the program would see it on a Mac: an absolute path inside the
    // machine folder loses the folder ("/usr/bin/pmset").
    std::string invokedAsOnMac() const;
    double now() const { return now_; }
    void sleep(double seconds) const;

    std::string out;
    std::string err;

private:
    Machine& machine_;
    std::optional<MachineState> state_;
    std::string invokedAs_;
    double now_;
    Sleeper sleeper_;
};

}  // namespace velmora::sim
