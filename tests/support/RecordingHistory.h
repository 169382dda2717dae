#pragma once
// A history recorder that keeps what it is handed, for tests.
#include <mutex>
#include <vector>

#include "history/record/HistoryRecorder.h"

namespace velmora::testing {

class RecordingHistory final : public HistoryRecorder {
public:
    void record(HistoryEvent event) override {
        std::lock_guard lock(mutex_);
        events_.push_back(std::move(event));
    }
    std::vector<HistoryEvent> events() const {
        std::lock_guard lock(mutex_);
        return events_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<HistoryEvent> events_;
};

}  // namespace velmora::testing
