#pragma once
// Where the window reads a disk's recent history. A read may wait for the
// file, so it is made off the main thread.
#include <string>
#include <vector>

#include "history/record/HistoryEvent.h"

namespace velmora {

class HistorySource {
public:
    virtual ~HistorySource() = default;
    // One disk's events since `since`, oldest first; empty when there are
    // none or the file cannot be read.
    virtual std::vector<HistoryEvent> eventsOf(const std::string& disk, Date since) = 0;
    // Where an export from the window is saved: the user's Downloads folder.
    virtual std::string exportFolder() const = 0;
};

}  // namespace velmora
