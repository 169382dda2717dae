#include "foundation/process/SharedQueries.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace velmora {
namespace {

RunSpec query(std::string program, std::vector<std::string> arguments) {
    RunSpec r;
    r.program = std::move(program);
    r.arguments = std::move(arguments);
    r.output = OutputWiring::pipe;
    return r;
}

// Answers each run with a fresh numbered output; a run can be held until the
// test lets it go, and then ends with `outcome`.
struct CountingLauncher final : ProcessLauncher {
    std::mutex mutex;
    std::condition_variable released;
    bool hold = false;
    RunResult::Outcome outcome = RunResult::Outcome::exited;
    std::atomic<int> runs{0};

    RunResult run(const RunSpec&) override {
        const int n = ++runs;
        std::unique_lock lock(mutex);
        released.wait(lock, [&] { return !hold; });
        RunResult r;
        r.outcome = outcome;
        r.exitStatus = outcome == RunResult::Outcome::exited ? 0 : -1;
        r.output = "answer " + std::to_string(n);
        return r;
    }
    void release() {
        {
            std::lock_guard lock(mutex);
            hold = false;
        }
        released.notify_all();
    }
};

TEST(SharedQueries, OnlyReadOnlyQueriesAreShared) {
    RunSpec inherited = query("/usr/sbin/diskutil", {"list", "-plist"});
    inherited.output = OutputWiring::inherit;
    RunSpec withEnvironment = query("/bin/df", {"/"});
    withEnvironment.environment["TZ"] = "UTC";
    const struct { const char* what; RunSpec request; bool shareable, readOnly; } cases[] = {
        {"diskutil info", query("/usr/sbin/diskutil", {"info", "-plist", "disk4"}), true, true},
        {"diskutil list", query("/usr/sbin/diskutil", {"list", "-plist"}), true, true},
        {"diskutil eject", query("/usr/sbin/diskutil", {"eject", "disk4"}), false, false},
        {"diskutil mount", query("/usr/sbin/diskutil", {"mount", "disk4s1"}), false, false},
        {"df", query("/bin/df", {"/Volumes/Photos"}), true, true},
        {"mount listing", query("/sbin/mount", {}), true, true},
        {"remount", query("/sbin/mount", {"-u", "-o", "noatime", "/Volumes/Photos"}), false, false},
        {"pmset -g", query("/usr/bin/pmset", {"-g", "assertions"}), true, true},
        {"pmset setting", query("/usr/bin/pmset", {"-b", "disablesleep", "1"}), false, false},
        {"sysctl read", query("/usr/sbin/sysctl", {"-n", "kern.maxfiles"}), true, true},
        {"sysctl write", query("/usr/sbin/sysctl", {"-w", "kern.maxvnodes=1000000"}), false, false},
        {"sysctl -n with a value", query("/usr/sbin/sysctl", {"-n", "kern.maxvnodes=1"}), false, false},
        {"ioreg", query("/usr/sbin/ioreg", {"-p", "IOUSB", "-l"}), true, true},
        {"script", query("/bin/sh", {"-c", "diskutil list"}), false, false},
        {"top", query("/usr/bin/top", {"-l", "2"}), false, true},
        {"iostat", query("/usr/sbin/iostat", {"-c", "2"}), false, true},
        {"output not captured", inherited, false, true},
        {"own environment", withEnvironment, false, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SharedQueries::isShareable(c.request), c.shareable) << c.what;
        EXPECT_EQ(SharedQueries::isReadOnly(c.request), c.readOnly) << c.what;
    }
}

// What the second of two identical queries gets, by when it asks.
TEST(SharedQueries, AnAnswerIsSharedWithinItsWindowAndUntilACommand) {
    const RunSpec info = query("/usr/sbin/diskutil", {"info", "-plist", "disk4"});
    const struct { const char* what; std::function<void(SharedQueries&, double&)> between; std::string second; } cases[] = {
        {"at once", [](SharedQueries&, double&) {}, "answer 1"},
        {"within the window", [](SharedQueries&, double& now) { now += 1.0; }, "answer 1"},
        {"after the window", [](SharedQueries&, double& now) { now += 1.01; }, "answer 2"},
        {"after an eject",
         [](SharedQueries& shared, double&) { shared.run(query("/usr/sbin/diskutil", {"eject", "disk4"})); },
         "answer 3"},
        {"after a sample", [](SharedQueries& shared, double&) { shared.run(query("/usr/bin/top", {"-l", "2"})); },
         "answer 1"},
        {"another disk", [](SharedQueries& shared, double&) { shared.run(query("/usr/sbin/diskutil", {"info", "disk5"})); },
         "answer 1"},
    };
    for (const auto& c : cases) {
        auto inner = std::make_shared<CountingLauncher>();
        double now = 100;
        SharedQueries shared(inner, 1.0, [&] { return now; });
        EXPECT_EQ(shared.run(info).output, "answer 1") << c.what;
        c.between(shared, now);
        EXPECT_EQ(shared.run(info).output, c.second) << c.what;
    }
}

// A query that hangs is run once for both owners that ask; both get its
// deadline, and the failure is not kept for the next owner.
TEST(SharedQueries, AHungQueryIsRunOnceForTwoOwnersAndItsFailureIsNotKept) {
    for (const auto outcome : {RunResult::Outcome::deadline, RunResult::Outcome::exited}) {
        auto inner = std::make_shared<CountingLauncher>();
        inner->hold = true;
        inner->outcome = outcome;
        SharedQueries shared(inner, 1.0, [] { return 0.0; });
        const RunSpec list = query("/usr/sbin/diskutil", {"list", "-plist"});
        RunResult first, second;
        std::thread a([&] { first = shared.run(list); });
        while (inner->runs == 0) std::this_thread::yield();
        std::thread b([&] { second = shared.run(list); });
        while (shared.waiting() == 0) std::this_thread::yield();
        inner->release();
        a.join();
        b.join();
        EXPECT_EQ(inner->runs, 1);
        EXPECT_EQ(first.outcome, outcome);
        EXPECT_EQ(second.outcome, outcome);
        EXPECT_EQ(second.output, first.output);
        shared.run(list);
        EXPECT_EQ(inner->runs, outcome == RunResult::Outcome::deadline ? 2 : 1);
    }
}

// A command that starts while a query runs: an owner asking after it does
// not get the answer of the run that began before it.
TEST(SharedQueries, AQueryAskedAfterACommandStartsItsOwnRun) {
    auto inner = std::make_shared<CountingLauncher>();
    inner->hold = true;
    SharedQueries shared(inner, 1.0, [] { return 0.0; });
    const RunSpec list = query("/usr/sbin/diskutil", {"list", "-plist"});
    RunResult before;
    std::thread a([&] { before = shared.run(list); });
    while (inner->runs == 0) std::this_thread::yield();
    std::thread eject([&] { shared.run(query("/usr/sbin/diskutil", {"eject", "disk4"})); });
    while (inner->runs < 2) std::this_thread::yield();
    inner->release();
    a.join();
    eject.join();
    EXPECT_EQ(shared.run(list).output, "answer 3");
    EXPECT_EQ(before.output, "answer 1");
}

}  // namespace
}  // namespace velmora
