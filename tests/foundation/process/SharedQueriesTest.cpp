#include "foundation/process/SharedQueries.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <stdexcept>
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
struct CountingLauncher : ProcessLauncher {
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
    RunSpec healthCheck = query("/bin/sh", {"-c", "diskutil info /dev/disk4 | grep -E 'Mount Point'"});
    healthCheck.effect = RunEffect::nothing;
    RunSpec tuning = query("/bin/sh", {"-c", "pmset -a disksleep 0"});
    tuning.effect = RunEffect::settingsOnly;
    constexpr auto nothing = RunEffect::nothing, settings = RunEffect::settingsOnly, anything = RunEffect::anything;
    const struct { const char* what; RunSpec request; bool shareable; RunEffect effect; } cases[] = {
        {"diskutil info", query("/usr/sbin/diskutil", {"info", "-plist", "disk4"}), true, nothing},
        {"diskutil list", query("/usr/sbin/diskutil", {"list", "-plist"}), true, nothing},
        {"diskutil eject", query("/usr/sbin/diskutil", {"eject", "disk4"}), false, anything},
        {"diskutil mount", query("/usr/sbin/diskutil", {"mount", "disk4s1"}), false, anything},
        {"df", query("/bin/df", {"/Volumes/Photos"}), true, nothing},
        {"mount listing", query("/sbin/mount", {}), true, nothing},
        {"remount", query("/sbin/mount", {"-u", "-o", "noatime", "/Volumes/Photos"}), false, anything},
        {"pmset -g", query("/usr/bin/pmset", {"-g", "assertions"}), true, nothing},
        {"pmset setting", query("/usr/bin/pmset", {"-b", "disablesleep", "1"}), false, settings},
        {"sysctl read", query("/usr/sbin/sysctl", {"-n", "kern.maxfiles"}), true, nothing},
        {"sysctl write", query("/usr/sbin/sysctl", {"-w", "kern.maxvnodes=1000000"}), false, settings},
        {"sysctl -n with a value", query("/usr/sbin/sysctl", {"-n", "kern.maxvnodes=1"}), false, settings},
        {"purge", query("/usr/sbin/purge", {}), false, settings},
        {"ioreg", query("/usr/sbin/ioreg", {"-p", "IOUSB", "-l"}), true, nothing},
        {"script", query("/bin/sh", {"-c", "diskutil list"}), false, anything},
        {"script its owner says only reads", healthCheck, false, nothing},
        {"script its owner says only tunes", tuning, false, settings},
        {"top", query("/usr/bin/top", {"-l", "2"}), false, nothing},
        {"iostat", query("/usr/sbin/iostat", {"-c", "2"}), false, nothing},
        {"output not captured", inherited, false, nothing},
        {"own environment", withEnvironment, false, nothing},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SharedQueries::isShareable(c.request), c.shareable) << c.what;
        EXPECT_EQ(SharedQueries::effectOf(c.request), c.effect) << c.what;
    }
}

// What the second of two identical queries gets, by when it asks and what
// ran between.
TEST(SharedQueries, AnAnswerIsSharedWithinItsWindowAndUntilACommandThatMayChangeIt) {
    const RunSpec info = query("/usr/sbin/diskutil", {"info", "-plist", "disk4"});
    const RunSpec assertions = query("/usr/bin/pmset", {"-g", "assertions"});
    const auto running = [](RunSpec r) { return [r](SharedQueries& shared, double&) { shared.run(r); }; };
    RunSpec healthCheck = query("/bin/sh", {"-c", "diskutil info /dev/disk4 | grep -q 'Mount Point'"});
    healthCheck.effect = RunEffect::nothing;
    RunSpec tuning = query("/bin/sh", {"-c", "pmset -a sleep 0"});
    tuning.effect = RunEffect::settingsOnly;
    const struct {
        const char* what;
        RunSpec asked;
        std::function<void(SharedQueries&, double&)> between;
        std::string second;
    } cases[] = {
        {"at once", info, [](SharedQueries&, double&) {}, "answer 1"},
        {"within the window", info, [](SharedQueries&, double& now) { now += 1.0; }, "answer 1"},
        {"after the window", info, [](SharedQueries&, double& now) { now += 1.01; }, "answer 2"},
        {"after an eject", info, running(query("/usr/sbin/diskutil", {"eject", "disk4"})), "answer 3"},
        {"after a sample", info, running(query("/usr/bin/top", {"-l", "2"})), "answer 1"},
        {"another disk", info, running(query("/usr/sbin/diskutil", {"info", "disk5"})), "answer 1"},
        {"after a script", info, running(query("/bin/sh", {"-c", "diskutil mount disk4"})), "answer 3"},
        {"after a script that only reads", info, running(healthCheck), "answer 1"},
        {"a disk's answer after a settings script", info, running(tuning), "answer 1"},
        {"a disk's answer after sysctl -w", info, running(query("/usr/sbin/sysctl", {"-w", "kern.maxvnodes=1"})),
         "answer 1"},
        {"a setting's answer after a settings script", assertions, running(tuning), "answer 3"},
    };
    for (const auto& c : cases) {
        auto inner = std::make_shared<CountingLauncher>();
        double now = 100;
        SharedQueries shared(inner, 1.0, [&] { return now; });
        EXPECT_EQ(shared.run(c.asked).output, "answer 1") << c.what;
        c.between(shared, now);
        EXPECT_EQ(shared.run(c.asked).output, c.second) << c.what;
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

// A launcher that throws (the simulated Mac's, when its state file cannot be
// read) must not leave the owners waiting for that run stuck for good: a
// queue swallows the exception, and its periodic work would never tick again.
TEST(SharedQueries, ARunThatThrowsFailsForItsWaitersAndIsNotKept) {
    struct ThrowingLauncher final : CountingLauncher {
        RunResult run(const RunSpec& request) override {
            const RunResult r = CountingLauncher::run(request);
            if (runs == 1) throw std::runtime_error("cannot read state.json");
            return r;
        }
    };
    auto inner = std::make_shared<ThrowingLauncher>();
    inner->hold = true;
    SharedQueries shared(inner, 1.0, [] { return 0.0; });
    const RunSpec list = query("/usr/sbin/diskutil", {"list", "-plist"});
    bool thrown = false;
    std::thread a([&] {
        try {
            shared.run(list);
        } catch (const std::runtime_error&) {
            thrown = true;
        }
    });
    while (inner->runs == 0) std::this_thread::yield();
    auto waiter = std::async(std::launch::async, [&] { return shared.run(list); });
    while (shared.waiting() == 0) std::this_thread::yield();
    inner->release();
    a.join();
    ASSERT_EQ(waiter.wait_for(std::chrono::seconds(10)), std::future_status::ready) << "the waiter is stuck";
    const RunResult waited = waiter.get();
    EXPECT_TRUE(thrown);
    EXPECT_EQ(waited.outcome, RunResult::Outcome::startFailed);
    EXPECT_EQ(waited.errorDescription, "cannot read state.json");
    EXPECT_EQ(shared.run(list).output, "answer 2");
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

// The virtual scheduler runs other queues' work on the same thread while a
// tool waits; one of them may ask the very question that is waiting.
TEST(SharedQueries, AQuestionAskedAgainFromInsideItsOwnRunDoesNotWaitForItself) {
    struct ReenteringLauncher final : ProcessLauncher {
        SharedQueries* shared = nullptr;
        int runs = 0;
        std::string inner;
        RunResult run(const RunSpec& request) override {
            const int n = ++runs;
            if (n == 1) inner = shared->run(request).output;
            RunResult r;
            r.outcome = RunResult::Outcome::exited;
            r.output = "answer " + std::to_string(n);
            return r;
        }
    };
    auto launcher = std::make_shared<ReenteringLauncher>();
    SharedQueries shared(launcher, 1.0, [] { return 0.0; });
    launcher->shared = &shared;
    auto outer = std::async(std::launch::async, [&] { return shared.run(query("/usr/sbin/diskutil", {"list"})); });
    ASSERT_EQ(outer.wait_for(std::chrono::seconds(10)), std::future_status::ready) << "waits for itself";
    EXPECT_EQ(outer.get().output, "answer 1");
    EXPECT_EQ(launcher->inner, "answer 2");
}

}  // namespace
}  // namespace velmora
