// A launch ends the background jobs an earlier run died holding, and only
// those: the record of a live program, a clean end, or a pid that now names
// another process leave everything running.
#include "foundation/process/BackgroundJobLedger.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ProcessProbe.h"
#include "TempFolder.h"
#include "foundation/process/PosixProcessLauncher.h"

namespace velmora {
namespace {

using testing::eventually;
using testing::processRunning;

struct Started {
    RunResult result;
    int job = 0;  // the background job's pid
};

Started startLoop(ProcessLauncher& launcher) {
    RunSpec request;
    request.program = "/bin/sh";
    request.arguments = {"-c", "(while true; do sleep 1; done) & echo $!"};
    request.output = OutputWiring::pipe;
    request.keepJobs = true;
    Started started{launcher.run(request)};
    started.job = std::stoi(started.result.output);
    return started;
}

// What the kernel does for a program killed with SIGKILL: its jobs are never
// ended, and its exited children are reaped by someone else.
void dieHolding(Started& started) {
    static auto* neverEnded = new std::vector<std::shared_ptr<BackgroundJobs>>;
    neverEnded->push_back(std::move(started.result.jobs));
    ::waitpid(started.result.pid, nullptr, 0);
}

TEST(BackgroundJobLedger, ALaunchEndsOnlyTheJobsOfRunsThatAreGone) {
    testing::TempFolder folder;
    const std::string ledgerFolder = folder / "jobs";
    auto diagnostics = std::make_shared<CapturingDiagnostics>();
    auto posix = std::make_shared<PosixProcessLauncher>(LauncherOptions{}, diagnostics);

    // A run that died holding its loop: the next launch ends it and drops the record.
    auto first = BackgroundJobLedger::create(ledgerFolder, diagnostics);
    LedgerLauncher launcher(posix, first);
    Started crashed = startLoop(launcher);
    ASSERT_TRUE(processRunning(crashed.job));
    ASSERT_TRUE(std::filesystem::exists(first->filePath()));
    dieHolding(crashed);
    auto next = BackgroundJobLedger::create(ledgerFolder, diagnostics);
    EXPECT_EQ(next->endLeftovers(), 1);
    EXPECT_TRUE(eventually([&] { return !processRunning(crashed.job); }));
    EXPECT_FALSE(std::filesystem::exists(first->filePath()));

    // Ended cleanly: no record is left.
    LedgerLauncher nextLauncher(posix, next);
    Started clean = startLoop(nextLauncher);
    ASSERT_TRUE(std::filesystem::exists(next->filePath()));
    clean.result.jobs->end();
    EXPECT_FALSE(std::filesystem::exists(next->filePath()));

    // While such a script runs it is on record already, by its token until
    // its start is confirmed and by its group after: a crash before it ends
    // must not lose the jobs it starts. Which of the two it reads depends on
    // how soon it runs.
    RunSpec reading;
    reading.program = "/bin/sh";
    reading.arguments = {"-c", "cat \"$0\"; echo \"token $VELMORA_JOB_TOKEN\"", next->filePath()};
    reading.output = OutputWiring::pipe;
    reading.keepJobs = true;
    const RunResult read = nextLauncher.run(reading);
    std::string token = read.output.substr(read.output.rfind("token ") + 6);
    if (!token.empty() && token.back() == '\n') token.pop_back();
    const bool byGroup = read.output.find("running " + std::to_string(read.pid) + " ") != std::string::npos;
    const bool byToken = !token.empty() && read.output.find("starting " + token) != std::string::npos;
    EXPECT_TRUE(byGroup || byToken) << read.output;
    EXPECT_FALSE(std::filesystem::exists(next->filePath())) << "it left nothing, so nothing stays on record";

    // Records that must not end anything: a live owner's, and one whose
    // member pid is now a different process (start moment differs).
    Started live = startLoop(*posix);
    const auto job = identifyProcess(live.job);
    const auto parent = identifyProcess(::getppid());
    ASSERT_TRUE(job && parent);
    // A run still going when its owner died ("running GROUP LEADER-START
    // DEADLINE"): its group counts as ours only through a member started
    // within the deadline of the leader.
    struct Case {
        const char* name;
        std::string owner;
        std::string entry;
        int ended;
    };
    const std::string group = std::to_string(job->group);
    const std::string member = "member " + group + " " + std::to_string(job->pid) + " ";
    const std::string running = "running " + group + " ";
    const std::uint64_t second = startUnitsPerSecond();
    const std::vector<Case> cases = {
        {"pid reused", "999999 1", member + std::to_string(job->started + 1), 0},
        {"owner alive", std::to_string(parent->pid) + " " + std::to_string(parent->started),
         member + std::to_string(job->started), 0},
        {"running: members started after the deadline", "999999 1",
         running + std::to_string(job->started - 10 * second) + " 1", 0},
        {"running: a member started within the deadline", "999999 1", running + std::to_string(job->started) + " 5", 1},
    };
    for (const auto& c : cases) {
        folder.write("jobs/4242.jobs", "owner " + c.owner + "\n" + c.entry + "\n");
        EXPECT_EQ(BackgroundJobLedger::create(ledgerFolder, diagnostics)->endLeftovers(), c.ended) << c.name;
        if (c.ended == 0) {
            EXPECT_TRUE(processRunning(live.job)) << c.name;
        }
        if (c.name == cases[1].name) {
            EXPECT_TRUE(std::filesystem::exists(folder / "jobs/4242.jobs")) << "the live owner's record was kept";
        }
    }
    EXPECT_TRUE(eventually([&] { return !processRunning(live.job); }));
    live.result.jobs->end();
}

// Stands in for a launcher that dies between starting a child and hearing
// of it: it looks at the record the moment it is asked to start, then starts
// the child and never reports it.
class DiesBeforeConfirming final : public ProcessLauncher {
public:
    DiesBeforeConfirming(std::shared_ptr<ProcessLauncher> inner, std::string ledgerFile)
        : inner_(std::move(inner)), ledgerFile_(std::move(ledgerFile)) {}
    RunResult run(const RunSpec& request) override {
        std::ifstream file(ledgerFile_);
        recordAtStart.assign(std::istreambuf_iterator<char>(file), {});
        token = request.environment.at(BackgroundJobLedger::kTokenVariable);
        RunSpec unreported = request;
        unreported.started = nullptr;
        unreported.wait = false;
        return inner_->run(unreported);
    }
    std::string recordAtStart;
    std::string token;

private:
    std::shared_ptr<ProcessLauncher> inner_;
    std::string ledgerFile_;
};

TEST(BackgroundJobLedger, ARunIsOnRecordBeforeItStartsSoADeathBeforeItIsConfirmedLosesNothing) {
    testing::TempFolder folder;
    const std::string ledgerFolder = folder / "jobs";
    auto diagnostics = std::make_shared<CapturingDiagnostics>();
    auto posix = std::make_shared<PosixProcessLauncher>(LauncherOptions{}, diagnostics);
    auto dying = BackgroundJobLedger::create(ledgerFolder, diagnostics);
    auto inner = std::make_shared<DiesBeforeConfirming>(posix, dying->filePath());
    LedgerLauncher launcher(inner, dying);

    RunSpec loop;
    loop.program = "/bin/sh";
    loop.arguments = {"-c", "(while true; do sleep 1; done) & wait"};
    loop.keepJobs = true;
    const RunResult started = launcher.run(loop);
    ASSERT_GT(started.pid, 0);
    EXPECT_NE(inner->recordAtStart.find("starting " + inner->token + "\n"), std::string::npos)
        << "on record before the start: " << inner->recordAtStart;

    // The loop carries its token (its shell may still be starting).
    const std::string carried = std::string(BackgroundJobLedger::kTokenVariable) + "=" + inner->token;
    ASSERT_TRUE(eventually([&] { return !processesWithEnvironmentEntry(carried).empty(); }));
    // The owner is gone (an owner line no live process matches), its run never confirmed.
    folder.write("jobs/4242.jobs", "owner 999999 1\nstarting " + inner->token + "\nstarting 1-1-1\n");
    std::filesystem::remove(dying->filePath());
    EXPECT_EQ(BackgroundJobLedger::create(ledgerFolder, diagnostics)->endLeftovers(), 1);
    EXPECT_TRUE(eventually([&] { return !processRunning(started.pid); }));
    // The group's members die of the same signal, but not in the same instant.
    EXPECT_TRUE(eventually([&] { return processGroupMembers(started.pid).empty(); }))
        << "the loop it started is ended with it";
    ::kill(-started.pid, SIGKILL);  // when the test fails, nothing is left running
    ::waitpid(started.pid, nullptr, 0);
}

}  // namespace
}  // namespace velmora
