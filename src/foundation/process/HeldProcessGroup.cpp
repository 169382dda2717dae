#include "foundation/process/HeldProcessGroup.h"

#include <signal.h>
#include <sys/wait.h>

#include <cerrno>

namespace velmora {

void HeldProcessGroup::end() {
    std::lock_guard lock(mutex_);
    if (ended_) return;
    ended_ = true;
    // Polling loops hold nothing that needs a clean exit, and a caller ending
    // them (a stop, the program's exit) must not wait out a grace period.
    ::kill(-leader_, SIGKILL);
    // The leader exited long ago: this returns at once and frees the group id.
    while (::waitpid(leader_, nullptr, 0) < 0 && errno == EINTR) {
    }
}

}  // namespace velmora
