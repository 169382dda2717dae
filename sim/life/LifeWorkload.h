#pragma once
// The seeded workload of a simulated life: one generator, one step at a
// time. A step names what happens and carries raw picks; the driver turns a
// pick into a concrete disk or application from what exists at that moment,
// so the same seed always asks for the same sequence of things.
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace velmora::life {

enum class StepKind {
    plugDisk,       // variant: bridge; hostile: a name that tries to reach a shell
    unplugDisk,     // pick: which plugged disk
    attachImage,
    detachImage,    // pick: which image
    startApp,       // variant: 0 plain, 1 heavy, 2 lives on a USB volume
    stopApp,        // pick: which started application
    refresh,
    selectDisk,     // pick: which listed disk
    makeInternal,
    fix,
    aggressiveToggle,
    toolFault,      // pick: tool, variant: fault kind
    clearFaults,
    relaunch,
    quiet,          // faults cleared, a long wait, then the full checks
    kill,           // kill -9 and relaunch; variant 1: inside a settings write (pick: where)
    permission,     // variant 0: automation, 1: notification authorization, 2: its request's answer
    logLine,        // variant 0: enumeration failures; 1-3: RTL9210 timeout / error marker, markers cleared
    startupToggle,
};

struct Step {
    StepKind kind = StepKind::quiet;
    std::uint64_t pick = 0;
    int variant = 0;
    bool hostile = false;
    double waitSeconds = 0;  // virtual time that passes after the step
};

const std::vector<std::string>& bridges();
const std::vector<std::string>& faultedTools();
// hang, slow, fail, garble, missing, truncate, nonUTF8, huge (the order `variant` indexes).
const std::vector<std::string>& faultKinds();
// Where a kill inside a settings write lands (pick % size).
const std::vector<std::string>& writeStages();
const std::vector<std::string>& notificationStatuses();
std::string describe(const Step& step);

class Workload {
public:
    // `faults` limits the fault kinds drawn (names from faultKinds()); empty: all.
    explicit Workload(std::uint64_t seed, std::vector<std::string> faults = {});
    Step next();

private:
    std::uint64_t draw(std::uint64_t bound) { return bound == 0 ? 0 : random_() % bound; }
    std::mt19937_64 random_;
    std::vector<int> faultKinds_;
    std::uint64_t count_ = 0;
};

}  // namespace velmora::life
