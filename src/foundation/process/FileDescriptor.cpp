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
    if (::pipe2(ends, O_CLOEXEC) != 0) return errno;
    pipe.read = FileDescriptor(aboveStandardStreams(ends[0]));
    pipe.write = FileDescriptor(aboveStandardStreams(ends[1]));
    if (!pipe.read.open() || !pipe.write.open()) return errno != 0 ? errno : EMFILE;
    return 0;
}

}  // namespace velmora
