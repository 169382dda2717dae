#pragma once
// What the stabilizer does goes into the history: its level changes, each
// problem bridge chip it newly finds, and its power assertions going on and
// off. These concern the machine rather than one disk (the device tree ties
// no device to a disk node), so they carry no disk identity.
#include <memory>

#include "foundation/dispatch/Scheduler.h"
#include "history/record/HistoryRecorder.h"
#include "stabilizer/AutomaticUSBStabilizer.h"

namespace velmora {

// Main thread, once per stabilizer. The observers hold the recorder, not the stabilizer.
void recordStabilizerHistory(AutomaticUSBStabilizer& stabilizer, std::shared_ptr<HistoryRecorder> history,
                             std::shared_ptr<Scheduler> scheduler);

}  // namespace velmora
