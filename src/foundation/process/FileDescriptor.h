#pragma once
// An owned file descriptor, closed when dropped, and the close-on-exec pipes
// the launcher hands to its children.
#include <utility>

namespace velmora {

class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        if (this != &other) {
            reset();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() { reset(); }

    int get() const { return fd_; }
    bool open() const { return fd_ >= 0; }
    void reset();

private:
    int fd_ = -1;
};

struct Pipe {
    FileDescriptor read;
    FileDescriptor write;
};

// Both ends close-on-exec and numbered above the standard streams; returns 0
// or the errno value of the failure.
int makeCloseOnExecPipe(Pipe& pipe);

}  // namespace velmora
