#include "foundation/process/FileDescriptor.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace velmora {

namespace {

// Pipe ends must not land on 0–2: a dup2 onto the same number would not clear
// close-on-exec, and the child would start without that stream.
int aboveStandardStreams(int fd) {
    if (fd > STDERR_FILENO) return fd;
    const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    ::close(fd);
    return moved;
}

}  // namespace

void FileDescriptor::reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

int makeCloseOnExecPipe(Pipe& pipe) {
    int ends[2];
#ifdef __APPLE__
    // macOS has no pipe2. Between pipe() and the flags another thread's spawn
    // could see the ends; its children inherit only what the spawn names
    // (POSIX_SPAWN_CLOEXEC_DEFAULT), so nothing leaks.
    if (::pipe(ends) != 0) return errno;
    for (int end : ends) ::fcntl(end, F_SETFD, FD_CLOEXEC);
#else
    if (::pipe2(ends, O_CLOEXEC) != 0) return errno;
#endif
    pipe.read = FileDescriptor(aboveStandardStreams(ends[0]));
    pipe.write = FileDescriptor(aboveStandardStreams(ends[1]));
    if (!pipe.read.open() || !pipe.write.open()) return errno != 0 ? errno : EMFILE;
    return 0;
}

}  // namespace velmora
