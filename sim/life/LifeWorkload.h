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
// hang, slow, fail, garble (the order `variant` indexes).
const std::vector<std::string>& faultKinds();
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
