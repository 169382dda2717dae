#include "foundation/process/ChildStart.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "foundation/process/SpawnSetup.h"

// glibc's posix_spawn maps and unmaps a stack for every child; the unmap
// flushes the TLB on every CPU that runs one of our threads, which made up a
// fifth of what a periodic tool run cost us. vfork runs the child on the
// caller's own (suspended) stack instead. Sanitizers replace vfork with fork,
// which would hide the child's start error, so they keep posix_spawn.
#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define VELMORA_SANITIZED 1
#endif
#endif
#if defined(__linux__) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__) && !defined(VELMORA_SANITIZED)
#define VELMORA_START_WITH_VFORK 1
#endif

namespace velmora {

#ifdef VELMORA_START_WITH_VFORK

namespace {

[[noreturn]] void giveUp(volatile int& failure, int error) {
    failure = error;
    ::_exit(127);
}

// Runs in the vfork child, on the parent's stack and in its memory: system
// calls only, nothing that allocates or takes a lock.
[[noreturn]] void becomeChild(const char* path, char* const argv[], char* const envp[], const ChildWiring& wiring,
                              int descriptorLimit, volatile int& failure) {
    auto fail = [&failure](int error) { giveUp(failure, error); };
    // Handlers belong to the parent's code; ignored signals would stay ignored
    // in the program.
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    for (int signal = 1; signal < NSIG; ++signal) {
        if (signal != SIGKILL && signal != SIGSTOP) ::sigaction(signal, &standard, nullptr);
    }
    if (::setpgid(0, 0) != 0) fail(errno);
    auto toNull = [&fail](int target) {
        const int fd = ::open("/dev/null", O_WRONLY);
        if (fd < 0) fail(errno);
        if (fd != target) {
            if (::dup2(fd, target) < 0) fail(errno);
            ::close(fd);
        }
    };
    if (wiring.outputFd >= 0 && ::dup2(wiring.outputFd, STDOUT_FILENO) < 0) fail(errno);
    if (wiring.outputToNull) toNull(STDOUT_FILENO);
    if (wiring.errorFd >= 0 && ::dup2(wiring.errorFd, STDERR_FILENO) < 0) fail(errno);
    if (wiring.errorToNull) toNull(STDERR_FILENO);
    // Descriptors opened elsewhere in the program without close-on-exec must
    // not leak into the child either.
    if (::close_range(STDERR_FILENO + 1, ~0U, 0) != 0) {
        // A kernel without close_range: one by one.
        for (int fd = STDERR_FILENO + 1; fd < descriptorLimit; ++fd) ::close(fd);
    }
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::execve(path, argv, envp);
    giveUp(failure, errno);
}

}  // namespace

int startChild(const char* path, char* const argv[], char* const envp[], const ChildWiring& wiring, pid_t& pid) {
    static const int descriptorLimit = [] {
        const long limit = ::sysconf(_SC_OPEN_MAX);
        return limit > 0 && limit < 1 << 20 ? static_cast<int>(limit) : 1 << 20;
    }();
    // No handler of ours may run in the child while it shares our memory.
    sigset_t all;
    sigset_t previous;
    sigfillset(&all);
    ::pthread_sigmask(SIG_BLOCK, &all, &previous);
    volatile int failure = 0;
    const pid_t child = ::vfork();
    if (child == 0) becomeChild(path, argv, envp, wiring, descriptorLimit, failure);
    const int forkError = child < 0 ? errno : 0;
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    if (forkError != 0) return forkError;
    if (failure != 0) {
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        return failure;
    }
    pid = child;
    return 0;
}

#else

int startChild(const char* path, char* const argv[], char* const envp[], const ChildWiring& wiring, pid_t& pid) {
    SpawnSetup setup;
    if (const int failure = setup.prepare(wiring.outputFd, wiring.errorFd, wiring.outputToNull, wiring.errorToNull))
        return failure;
    return ::posix_spawn(&pid, path, setup.actions(), setup.attributes(), argv, envp);
}

#endif

}  // namespace velmora
