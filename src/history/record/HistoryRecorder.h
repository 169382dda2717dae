#pragma once
// Where the managers and the delegate hand what happened to a disk. Recording
// never waits for storage: an implementation only queues the event, from any
// thread, and keeps it elsewhere later.
#include "history/record/HistoryEvent.h"

namespace velmora {

class HistoryRecorder {
public:
    virtual ~HistoryRecorder() = default;
    virtual void record(HistoryEvent event) = 0;
};

}  // namespace velmora
