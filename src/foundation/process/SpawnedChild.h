#pragma once
// One started child, watched until it is reaped. Exit is first observed
// without reaping, so the child's pid keeps its process group reserved for as
// long as we may still signal the group; only reap() releases it. Where the
// kernel offers a pid descriptor, waiting is a poll() on it; otherwise it is a
// non-blocking wait with a short backoff.
#include <sys/types.h>

#include <chrono>

namespace velmora {

class SpawnedChild {
public:
    using Clock = std::chrono::steady_clock;

    explicit SpawnedChild(pid_t pid);
    ~SpawnedChild();
    SpawnedChild(const SpawnedChild&) = delete;
    SpawnedChild& operator=(const SpawnedChild&) = delete;

    pid_t pid() const { return pid_; }
    // Readable once the child has exited; -1 when the kernel has none, or
    // after the exit was seen (it would stay readable for ever).
    int exitDescriptor() const;

    // Checks, without blocking and without reaping, whether the child exited.
    bool checkExited();
    // Waits until the child has exited or `deadline` passes.
    bool waitForExit(Clock::time_point deadline);
    // Collects an exited child's status; true when it was collected.
    bool reap();

    bool exited() const { return exited_; }
    bool reaped() const { return reaped_; }
    // Valid after exit: the exit status, or the terminating signal.
    bool killedBySignal() const { return signaled_; }
    int exitStatus() const { return exitStatus_; }
    int signal() const { return signal_; }

    // Sends `signal` to the child's process group while the child is unreaped.
    void signalGroup(int signal) const;

private:
    bool check(bool collect);

    pid_t pid_;
    int pidDescriptor_ = -1;
    bool exited_ = false;
    bool reaped_ = false;
    bool signaled_ = false;
    int exitStatus_ = -1;
    int signal_ = 0;
};

}  // namespace velmora
