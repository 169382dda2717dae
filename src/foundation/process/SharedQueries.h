#pragma once
// Several owners ask the system the same read-only questions (the delegate's
// and the window's disk monitors list the same disks, every tracker asks df
// about the same folders). A query asked while the same one is running waits
// for that run's answer, and one asked within `windowSeconds` of an answer
// gets that answer; every other run is passed through unchanged.
//
// Only queries that change nothing are shared, never a script (its text may
// do anything). Any other command may change what the queries would answer
// (an eject, a remount, a mark), so it drops every kept answer before and
// after it runs, and a query asked after it starts never joins a run that
// began before it. A run whose owner says what it may change drops only the
// answers that could differ: a health check's `diskutil info | grep` none, a
// script of pmset and sysctl lines all but those about disks and mounts.
//
// The window is one second: the shortest period of any owner's scan is five
// seconds, so a shared answer is never older than a fifth of a tick, and
// scans of the same period that run in the same instant still meet.
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "foundation/process/ProcessLauncher.h"

namespace velmora {

class SharedQueries final : public ProcessLauncher {
public:
    using Clock = std::function<double()>;  // seconds, never going back

    explicit SharedQueries(std::shared_ptr<ProcessLauncher> inner, double windowSeconds = 1.0,
                           Clock clock = steadySeconds);

    RunResult run(const RunSpec& request) override;

    // A question whose answer may be shared: a known read-only tool and
    // arguments, captured output, waited for, nothing extra in its
    // environment.
    static bool isShareable(const RunSpec& request);
    // What a run that is not shared may change: what its owner says, else
    // nothing for a sample over time (top, iostat), settings only for pmset,
    // sysctl and purge, and anything for every other command and script.
    static RunEffect effectOf(const RunSpec& request);

    static double steadySeconds();
    // Owners now waiting for a running query's answer.
    std::size_t waiting() const;

private:
    struct Pending {
        std::thread::id runner = std::this_thread::get_id();
        bool finished = false;
        RunResult result;
    };
    struct Kept {
        double at = 0;
        RunResult result;
    };
    static std::string keyOf(const RunSpec& request);
    static bool isAboutDisks(const std::string& key);
    RunResult runShared(const RunSpec& request);
    void finish(const std::string& key, const std::shared_ptr<Pending>& pending, const RunResult& result);
    void forgetAnswers(RunEffect effect);

    std::shared_ptr<ProcessLauncher> inner_;
    double window_;
    Clock clock_;
    mutable std::mutex mutex_;
    std::size_t waiting_ = 0;
    std::condition_variable finished_;
    std::map<std::string, std::shared_ptr<Pending>> running_;
    std::map<std::string, Kept> kept_;
};

}  // namespace velmora
