#pragma once
// The history the program acted on, as the life sees it: every event the
// program hands its recorder passes through here on its way to the writer,
// so after the next start the life can look for each in the file.
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "history/record/HistoryRecorder.h"

namespace velmora::life {

class KeptHistory final : public HistoryRecorder {
public:
    explicit KeptHistory(std::shared_ptr<HistoryRecorder> next) : next_(std::move(next)) {}
    void record(HistoryEvent event) override {
        {
            std::lock_guard lock(mutex_);
            handed_.push_back(event);
        }
        next_->record(std::move(event));
    }
    std::vector<HistoryEvent> handed() const {
        std::lock_guard lock(mutex_);
        return handed_;
    }

private:
    std::shared_ptr<HistoryRecorder> next_;
    mutable std::mutex mutex_;
    std::vector<HistoryEvent> handed_;
};

// The events of `owed` the file at `path` lacks, in words. Throughput samples
// are left out: the writer keeps only one a minute of them by design.
std::vector<std::string> historyMissing(const std::vector<HistoryEvent>& owed, const std::string& path);

}  // namespace velmora::life
