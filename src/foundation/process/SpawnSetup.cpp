#include "foundation/process/SpawnSetup.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

namespace velmora {

SpawnSetup::SpawnSetup() {
    ::posix_spawn_file_actions_init(&actions_);
    ::posix_spawnattr_init(&attributes_);
}

SpawnSetup::~SpawnSetup() {
    ::posix_spawn_file_actions_destroy(&actions_);
    ::posix_spawnattr_destroy(&attributes_);
}

int SpawnSetup::prepare(int outputFd, int errorFd, bool outputToNull, bool errorToNull) {
    int error = 0;
    auto step = [&error](int result) {
        if (error == 0) error = result;
    };
    if (outputFd >= 0) step(::posix_spawn_file_actions_adddup2(&actions_, outputFd, STDOUT_FILENO));
    if (outputToNull) step(::posix_spawn_file_actions_addopen(&actions_, STDOUT_FILENO, "/dev/null", O_WRONLY, 0));
    if (errorFd >= 0) step(::posix_spawn_file_actions_adddup2(&actions_, errorFd, STDERR_FILENO));
    if (errorToNull) step(::posix_spawn_file_actions_addopen(&actions_, STDERR_FILENO, "/dev/null", O_WRONLY, 0));
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    // Descriptors opened elsewhere in the program without close-on-exec must
    // not leak into the child either.
    step(::posix_spawn_file_actions_addclosefrom_np(&actions_, STDERR_FILENO + 1));
#endif
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    step(::posix_spawnattr_setsigmask(&attributes_, &none));
    step(::posix_spawnattr_setsigdefault(&attributes_, &all));
    step(::posix_spawnattr_setpgroup(&attributes_, 0));
    short flags = POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
#ifdef __APPLE__
    // macOS has no closefrom action: the child starts with only the
    // descriptors named here, the standard streams it keeps included.
    flags |= POSIX_SPAWN_CLOEXEC_DEFAULT;
    step(::posix_spawn_file_actions_addinherit_np(&actions_, STDIN_FILENO));
    if (outputFd < 0 && !outputToNull) step(::posix_spawn_file_actions_addinherit_np(&actions_, STDOUT_FILENO));
    if (errorFd < 0 && !errorToNull) step(::posix_spawn_file_actions_addinherit_np(&actions_, STDERR_FILENO));
#endif
    step(::posix_spawnattr_setflags(&attributes_, flags));
    return error;
}

}  // namespace velmora
