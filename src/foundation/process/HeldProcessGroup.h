#pragma once
// The process group of a finished child, kept for the background jobs it left.
// The exited leader is reaped only when the group is ended: until then its
// zombie keeps the group id from being handed to another group.
#include <sys/types.h>

#include <mutex>

#include "foundation/process/ProcessLauncher.h"

namespace velmora {

class HeldProcessGroup final : public BackgroundJobs {
public:
    // `leader` has exited and has not been reaped.
    explicit HeldProcessGroup(pid_t leader) : leader_(leader) {}
    ~HeldProcessGroup() override { end(); }
    HeldProcessGroup(const HeldProcessGroup&) = delete;
    HeldProcessGroup& operator=(const HeldProcessGroup&) = delete;

    void end() override;

private:
    std::mutex mutex_;
    pid_t leader_;
    bool ended_ = false;
};

}  // namespace velmora
