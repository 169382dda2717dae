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
    if (!collect) {
        // Seen without reaping: waitid with WNOWAIT is the only portable way.
        // Its status is not used: macOS may report a stopped child here even
        // though WSTOPPED was not asked for, and leaves si_status 0 for some
        // signalled ones. Only a real end counts as an exit.
        siginfo_t info;
        std::memset(&info, 0, sizeof info);
        int result;
        do {
            result = ::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT);
        } while (result < 0 && errno == EINTR);
        if (result < 0) {
            // Nobody else waits for our pids; treat a vanished child as gone.
            exited_ = true;
            reaped_ = true;
            return true;
        }
        const bool ended = info.si_code == CLD_EXITED || info.si_code == CLD_KILLED || info.si_code == CLD_DUMPED;
        if (info.si_pid != pid_ || !ended) return false;
        exited_ = true;
        return true;
    }
    // The status comes from waitpid, whose encoding every POSIX system shares.
    int status = 0;
    pid_t result;
    do {
        result = ::waitpid(pid_, &status, WNOHANG);
    } while (result < 0 && errno == EINTR);
    if (result < 0) {
        exited_ = true;
        reaped_ = true;
        return true;
    }
    if (result != pid_) return exited_;
    exited_ = true;
    reaped_ = true;
    if (WIFSIGNALED(status)) {
        signaled_ = true;
        signal_ = WTERMSIG(status);
    } else {
        signaled_ = false;
        exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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
