#include "foundation/process/SpawnedChild.h"

#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

namespace velmora {

namespace {

int openPidDescriptor(pid_t pid) {
#ifdef SYS_pidfd_open
    const long fd = ::syscall(SYS_pidfd_open, pid, 0);
    if (fd >= 0) {
        // pidfd_open already sets close-on-exec.
        return static_cast<int>(fd);
    }
#else
    (void)pid;
#endif
    return -1;
}

int millisecondsUntil(SpawnedChild::Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - SpawnedChild::Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, INT_MAX));
}

}  // namespace

SpawnedChild::SpawnedChild(pid_t pid) : pid_(pid), pidDescriptor_(openPidDescriptor(pid)) {}

SpawnedChild::~SpawnedChild() {
    if (pidDescriptor_ >= 0) ::close(pidDescriptor_);
}

int SpawnedChild::exitDescriptor() const { return exited_ ? -1 : pidDescriptor_; }

bool SpawnedChild::check(bool collect) {
    if (reaped_ || (exited_ && !collect)) return exited_;
    siginfo_t info;
    std::memset(&info, 0, sizeof info);
    const int flags = WEXITED | WNOHANG | (collect ? 0 : WNOWAIT);
    int result;
    do {
        result = ::waitid(P_PID, static_cast<id_t>(pid_), &info, flags);
    } while (result < 0 && errno == EINTR);
    if (result < 0) {
        // Nobody else waits for our pids; treat a vanished child as gone.
        exited_ = true;
        reaped_ = true;
        return true;
    }
    if (info.si_pid != pid_) return false;
    exited_ = true;
    if (collect) reaped_ = true;
    if (info.si_code == CLD_EXITED) {
        signaled_ = false;
        exitStatus_ = info.si_status;
    } else {
        signaled_ = true;
        signal_ = info.si_status;
    }
    return true;
}

bool SpawnedChild::checkExited() { return check(false); }

bool SpawnedChild::reap() {
    check(true);
    return reaped_;
}

bool SpawnedChild::waitForExit(Clock::time_point deadline) {
    auto backoff = std::chrono::microseconds(100);
    while (!checkExited()) {
        const int left = millisecondsUntil(deadline);
        if (Clock::now() >= deadline) return false;
        if (pidDescriptor_ >= 0) {
            pollfd entry{pidDescriptor_, POLLIN, 0};
            ::poll(&entry, 1, left);
        } else {
            const auto pause = std::min<std::chrono::microseconds>(backoff, std::chrono::milliseconds(left + 1));
            timespec span{static_cast<time_t>(pause.count() / 1000000), static_cast<long>(pause.count() % 1000000) * 1000};
            ::nanosleep(&span, nullptr);
            backoff = std::min<std::chrono::microseconds>(backoff * 2, std::chrono::milliseconds(20));
        }
    }
    return true;
}

void SpawnedChild::signalGroup(int signal) const {
    if (reaped_) return;
    ::kill(-pid_, signal);
}

}  // namespace velmora
