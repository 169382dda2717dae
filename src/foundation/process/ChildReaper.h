#pragma once
// Reaps children nobody waits for: runs started without waiting and children
// abandoned after a kill (stuck in an uninterruptible sleep). Each pid is
// polled with a non-blocking wait for that pid only, so exit statuses of other
// children in the process are never taken. The polling thread starts with the
// first adopted child and is joined by the destructor.
#include <sys/types.h>

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>
#include <vector>

namespace velmora {

class ChildReaper {
public:
    ChildReaper() = default;
    ~ChildReaper();
    ChildReaper(const ChildReaper&) = delete;
    ChildReaper& operator=(const ChildReaper&) = delete;

    void adopt(pid_t pid);
    // Children adopted and not yet reaped.
    std::size_t pending() const;

private:
    void loop();
    void reapFinished();  // with mutex_ held

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::vector<pid_t> pids_;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace velmora
