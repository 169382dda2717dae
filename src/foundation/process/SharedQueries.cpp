#include "foundation/process/SharedQueries.h"

#include <algorithm>
#include <exception>
#include <string_view>

namespace velmora {

namespace {

bool first(const RunSpec& request, std::initializer_list<const char*> allowed) {
    return !request.arguments.empty() &&
           std::any_of(allowed.begin(), allowed.end(), [&](const char* a) { return request.arguments.front() == a; });
}

bool noneAssigns(const RunSpec& request) {
    return std::none_of(request.arguments.begin(), request.arguments.end(),
                        [](const std::string& a) { return a.find('=') != std::string::npos; });
}

bool readsOnly(const RunSpec& r) {
    const std::string& p = r.program;
    if (p == "/usr/sbin/diskutil") return first(r, {"list", "info"});
    if (p == "/sbin/mount") return r.arguments.empty();
    if (p == "/usr/bin/pmset") return first(r, {"-g"});
    if (p == "/usr/sbin/sysctl") return first(r, {"-n"}) && noneAssigns(r);
    return p == "/bin/df" || p == "/usr/sbin/ioreg" || p == "/usr/sbin/kextstat";
}

}  // namespace

SharedQueries::SharedQueries(std::shared_ptr<ProcessLauncher> inner, double windowSeconds, Clock clock)
    : inner_(std::move(inner)), window_(windowSeconds), clock_(std::move(clock)) {}

double SharedQueries::steadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

bool SharedQueries::isShareable(const RunSpec& r) {
    return r.wait && !r.keepJobs && !r.started && r.environment.empty() && r.output == OutputWiring::pipe &&
           readsOnly(r);
}

RunEffect SharedQueries::effectOf(const RunSpec& r) {
    if (r.effect != RunEffect::anything) return r.effect;
    const std::string& p = r.program;
    if (readsOnly(r) || p == "/usr/bin/top" || p == "/usr/sbin/iostat" || p == "/usr/bin/memory_pressure" ||
        p == "/bin/ps")
        return RunEffect::nothing;
    if (p == "/usr/sbin/sysctl" || p == "/usr/bin/pmset" || p == "/usr/sbin/purge" || p == "/bin/sync")
        return RunEffect::settingsOnly;
    return RunEffect::anything;
}

bool SharedQueries::isAboutDisks(const std::string& key) {
    // Keys begin with the program's path.
    for (const char* p : {"/usr/sbin/diskutil", "/bin/df", "/sbin/mount"}) {
        const std::string_view program(p);
        if (key.compare(0, program.size(), program) == 0 && key.size() > program.size() && key[program.size()] == '\0')
            return true;
    }
    return false;
}

std::string SharedQueries::keyOf(const RunSpec& r) {
    std::string key = r.program;
    for (const auto& a : r.arguments) key += '\0' + a;
    return key + '\0' + std::to_string(static_cast<int>(r.error));
}

std::size_t SharedQueries::waiting() const {
    std::lock_guard lock(mutex_);
    return waiting_;
}

void SharedQueries::forgetAnswers(RunEffect effect) {
    std::lock_guard lock(mutex_);
    // A settings change leaves what diskutil, df and mount answer alone.
    const auto mayHaveChanged = [&](const std::string& key) {
        return effect == RunEffect::anything || !isAboutDisks(key);
    };
    std::erase_if(kept_, [&](const auto& entry) { return mayHaveChanged(entry.first); });
    // Those still running finish for the owners already waiting; a query
    // asked from now on starts its own.
    std::erase_if(running_, [&](const auto& entry) { return mayHaveChanged(entry.first); });
}

RunResult SharedQueries::run(const RunSpec& request) {
    if (isShareable(request)) return runShared(request);
    const RunEffect effect = effectOf(request);
    if (effect == RunEffect::nothing) return inner_->run(request);
    forgetAnswers(effect);
    RunResult result = inner_->run(request);
    forgetAnswers(effect);
    return result;
}

RunResult SharedQueries::runShared(const RunSpec& request) {
    const std::string key = keyOf(request);
    std::shared_ptr<Pending> pending;
    {
        std::unique_lock lock(mutex_);
        if (auto kept = kept_.find(key); kept != kept_.end()) {
            if (clock_() - kept->second.at <= window_) return kept->second.result;
            kept_.erase(kept);
        }
        if (auto running = running_.find(key);
            running != running_.end() && running->second->runner != std::this_thread::get_id()) {
            const auto joined = running->second;
            ++waiting_;
            finished_.wait(lock, [&] { return joined->finished; });
            --waiting_;
            return joined->result;
        }
        // The same question asked again from inside its own run (a scheduler
        // that runs other work while a run waits, as the virtual one does on
        // one thread) would wait for itself: it runs on its own, and its
        // answer replaces the one kept.
        pending = std::make_shared<Pending>();
        running_[key] = pending;
    }
    RunResult result;
    try {
        result = inner_->run(request);
    } catch (const std::exception& error) {
        // The owners waiting for this run must not wait forever: they get a
        // failed start with its reason, the runner gets the exception.
        result.outcome = RunResult::Outcome::startFailed;
        result.errorDescription = error.what();
        finish(key, pending, result);
        throw;
    }
    finish(key, pending, result);
    return result;
}

void SharedQueries::finish(const std::string& key, const std::shared_ptr<Pending>& pending, const RunResult& result) {
    {
        std::lock_guard lock(mutex_);
        pending->result = result;
        pending->finished = true;
        // Still the current run unless a command started meanwhile: only
        // then is its answer kept. A failure is never kept: the next owner
        // asks again.
        if (auto running = running_.find(key); running != running_.end() && running->second == pending) {
            running_.erase(running);
            if (result.outcome == RunResult::Outcome::exited) {
                // Answers past their window are dropped here, so questions
                // about disks long gone do not pile up over a day.
                const double now = clock_();
                std::erase_if(kept_, [&](const auto& entry) { return now - entry.second.at > window_; });
                kept_[key] = {now, result};
            }
        }
    }
    finished_.notify_all();
}

}  // namespace velmora
