#pragma once
// One simulated life: a fresh simulated Mac, the delegate's group and one
// window model on virtual time, the seeded workload, and the invariants
// checked after every step. The first violation ends the run.
#include <cstdint>
#include <deque>
#include <iosfwd>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "history/record/HistoryEvent.h"

#include "foundation/defaults/FileUserDefaults.h"
#include "foundation/process/ProcessIdentity.h"
#include "sim/life/LifeInvariants.h"
#include "sim/life/LifeWorkload.h"

namespace velmora::life {

struct LifeOptions {
    std::string dir;
    std::uint64_t seed = 1;
    double hours = 1;
    std::vector<std::string> faults;  // empty: every kind
    // Real seconds per virtual second for the tools' own waits and deadlines.
    double timeScale = 0.01;
    std::string scenarioFolder;
    std::string toolBinary;
    // false: every tool run is a real process too (to compare the two).
    bool inProcessTools = true;
    bool verbose = false;  // every event on standard output
    // Identical read-only queries shared among their owners, as the program
    // on a Mac or on the simulated Mac shares them.
    bool sharedQueries = false;
    // When set: what the program published, in order (its diagnostic lines,
    // and at each check every monitor's disk list and the new notifications).
    std::vector<std::string>* published = nullptr;
    std::ostream* report = nullptr;  // violations and progress; null: standard output
};

struct LifeFigures {
    long steps = 0;
    long faultsInjected = 0;
    long checks = 0;
    long toolRuns = 0;
    long inProcessToolRuns = 0;  // of toolRuns: stand-in tools run without a process
    long deadlines = 0;
    long launches = 0;
    long kills = 0;             // kill -9, those inside a settings write among them
    long killsInWrite = 0;
    double virtualHours = 0;
};

class LifeRun {
public:
    explicit LifeRun(LifeOptions options);
    ~LifeRun();
    // 0 when every check held, 1 after the first violation (already printed).
    int run();
    const LifeFigures& figures() const { return figures_; }

    struct Program;

private:
    void launch();
    void quit();
    // kill -9: the instance stops where it is, with no stop and no last write.
    void kill();
    // Advances with the writer set to stop the program at `stage` of the next
    // settings write; true when it did.
    bool killInsideWrite(const Step& step, FileUserDefaults::WriteStage stage);
    void collectNames();
    // Processes started against this machine (scripts' background jobs among them).
    std::vector<ProcessIdentity> machineProcesses() const;
    std::vector<std::string> stillRunning(const std::vector<ProcessIdentity>& processes) const;
    void apply(const Step& step);
    Observation observe(bool quiet);
    bool check(const Observation& observation, const Step& step);
    void event(const std::string& text);
    void advance(double seconds);
    void installScaledSleep();
    void endFaultWindow(double now);
    std::string canary(int n) const;
    std::ostream& out();
    long endLeftoverProcesses();
    void reportHour(double wall);

    LifeOptions options_;
    LifeFigures figures_;
    std::unique_ptr<Program> program_;
    double clock_ = 0;  // virtual seconds since the Unix epoch
    double start_ = 0;
    long hoursReported_ = 0;
    long hourToolRuns_ = 0;  // totals when the last hour was reported
    long hourInProcessRuns_ = 0;
    std::optional<double> faultWindowEnd_;
    std::deque<std::string> events_;
    std::vector<std::string> plugged_;
    std::vector<std::string> images_;
    std::vector<std::string> apps_;
    std::set<std::string> marksMade_;
    std::map<std::string, std::string> bridgeOf_;  // plugged disk → its bridge
    std::set<std::string> namesSeen_;
    std::size_t notificationsSeen_ = 0;
    std::size_t notificationsPending_ = 0;  // counted by the observation being checked
    std::set<std::string> keysAtLastCheck_;
    bool afterKill_ = false;
    // The history the last instance handed over that must be in the file,
    // checked at the first look after the next launch.
    std::vector<HistoryEvent> owedHistory_;
    bool historyToCheck_ = false;
    std::vector<ProcessIdentity> leftByKill_;    // checked once the next launch has begun
    std::vector<std::string> leftAfterQuit_;
    std::size_t descriptorBound_ = 0;
    std::size_t threadBound_ = 0;
    std::map<std::string, std::set<std::string>> listedBeforeMark_;
    long appCounter_ = 0;
    long diskCounter_ = 0;
};

}  // namespace velmora::life
