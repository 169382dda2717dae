#pragma once
// The RTL9210B watchdog's decisions: look for timeout, error or disconnect
// lines of the bridge in the USB tree, apply a quick fix on the first
// consecutive detections and the emergency recovery on the third. It runs on
// the watchdog's serial queue only (the counter has no other owner); the
// stabilizer owns the timer and the queue.
#include <map>
#include <string>

#include "stabilizer/StabilizerContext.h"

namespace velmora {

class RTL9210Watchdog {
public:
    static constexpr int rtl9210MaxTimeouts = 3;
    static constexpr const char* globalKey = "RTL9210B-GLOBAL";

    explicit RTL9210Watchdog(const StabilizerContext& context);

    void checkRTL9210Health();
    void handleRTL9210Timeout();
    void performRTL9210EmergencyRecovery();

    const std::map<std::string, int>& rtl9210TimeoutCount() const { return rtl9210TimeoutCount_; }

private:
    const StabilizerContext& context_;
    std::map<std::string, int> rtl9210TimeoutCount_;
};

}  // namespace velmora
