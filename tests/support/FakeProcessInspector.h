#pragma once
// Working directories by process identifier for unit tests; a process without
// one answers with a failure text.
#include <map>
#include <mutex>
#include <string>

#include "platform/ProcessInspector.h"

namespace velmora::testing {

class FakeProcessInspector final : public ProcessInspector {
public:
    WorkingDirectoryAnswer workingDirectory(int processIdentifier) override {
        std::lock_guard lock(mutex_);
        const auto found = directories_.find(processIdentifier);
        if (found == directories_.end()) return {std::nullopt, "No such process"};
        return {found->second, ""};
    }
    int ownProcessIdentifier() const override { return ownPid_; }

    void setWorkingDirectory(int processIdentifier, std::string path) {
        std::lock_guard lock(mutex_);
        directories_[processIdentifier] = std::move(path);
    }
    void setOwnProcessIdentifier(int pid) { ownPid_ = pid; }

private:
    mutable std::mutex mutex_;
    std::map<int, std::string> directories_;
    int ownPid_ = 1;
};

}  // namespace velmora::testing
