#pragma once
// One simulated machine folder: loading and saving its state under a lock,
// atomically (temporary file + rename), safe against the program and many
// stand-in tool processes touching it at once; and its journal of tool runs.
#include <functional>
#include <type_traits>
#include <utility>
#include <optional>
#include <string>
#include <vector>

#include "sim/state/MachineState.h"

namespace velmora::sim {

// Seconds since the Unix epoch as the machine reads them. The host's wall
// clock unless a simulated life runs the machine on its virtual time.
using MachineClock = std::function<double()>;

struct JournalEntry {
    double time = 0;
    std::vector<std::string> argv;  // argv[0] is the tool's program name (e.g. "diskutil")
    int exitStatus = 0;
};

class Machine {
public:
    explicit Machine(std::string directory);

    const std::string& directory() const { return directory_; }
    std::string stateFile() const;      // DIR/.velmora-sim/state.json
    std::string journalFile() const;    // DIR/.velmora-sim/journal.log
    std::string volumesFolder() const;  // DIR/Volumes
    bool exists() const;

    // A consistent snapshot (shared lock). A folder without a state file reads
    // as an empty machine; an unreadable or corrupt one throws MachineError.
    MachineState read() const;
    // Read-modify-write under the exclusive lock; the new state replaces the
    // file atomically. Returns whatever `change` returns.
    template <typename F>
    auto update(F&& change) -> decltype(change(std::declval<MachineState&>()));
    void write(const MachineState& state);  // exclusive, atomic replace

    // One JSON object per line, appended with a single write so concurrent
    // tool processes never interleave their entries.
    void appendJournal(const JournalEntry& entry);
    // Lines that do not parse are skipped.
    std::vector<JournalEntry> journal() const;
    void clearJournal();

    static double now();  // host wall clock, seconds since the Unix epoch
    // `clock`, or the host wall clock when it is empty.
    static MachineClock clockOr(MachineClock clock);

private:
    void lockedUpdate(const std::function<void(MachineState&)>& change);
    std::string directory_;
};

template <typename F>
auto Machine::update(F&& change) -> decltype(change(std::declval<MachineState&>())) {
    using R = decltype(change(std::declval<MachineState&>()));
    if constexpr (std::is_void_v<R>) {
        lockedUpdate([&](MachineState& s) { change(s); });
    } else {
        std::optional<R> result;
        lockedUpdate([&](MachineState& s) { result.emplace(change(s)); });
        return std::move(*result);
    }
}

}  // namespace velmora::sim
