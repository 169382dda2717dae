#pragma once
// Watches for heavy creative and development applications and turns what it
// finds into two display texts. One instance serves the whole process (the
// composition root creates it and hands it to whoever shows it); tests make
// their own.
//
// Threads: the 5-second timer, every published write and the text lookups
// run on the main thread; `top` runs on a background global queue. A tick
// that finds the previous cycle still running is skipped, so a hung `top`
// costs one deadline, never a pile of waiting processes.
#include <memory>
#include <string>
#include <vector>

#include "foundation/dispatch/TickGate.h"
#include "foundation/published/Published.h"
#include "platform/Platform.h"

namespace velmora {

class SharedSystemMonitor : public std::enable_shared_from_this<SharedSystemMonitor> {
public:
    static constexpr double checkIntervalSeconds = 5.0;
    static constexpr double topDeadlineSeconds = 10.0;
    static constexpr std::size_t maximumLargeApps = 5;

    // Constructs and starts: one cycle at once, then one every 5 seconds.
    // The timer holds the monitor weakly; the owner keeps it alive.
    static std::shared_ptr<SharedSystemMonitor> create(Platform platform);
    ~SharedSystemMonitor();
    SharedSystemMonitor(const SharedSystemMonitor&) = delete;
    SharedSystemMonitor& operator=(const SharedSystemMonitor&) = delete;

    Published<std::vector<std::string>> runningLargeApps;
    Published<std::string> powerStatus{std::string("Normal")};
    // Until the first cycle ends, the initial text ("Standart", with t); the
    // cycles write the looked-up "Standard".
    Published<std::string> usbcPowerMode{std::string("Standart")};
    Published<Date> lastUpdate;

    // The command line of the sampling run.
    static RunSpec topRequest();

private:
    explicit SharedSystemMonitor(Platform platform);
    void startMonitoring();
    void startCycle();
    // Background queue: runs top and hands the names (or nothing) to the main thread.
    void checkLargeApps(TickGate::PassHandle pass);
    // Main thread: the rest of the cycle.
    void finishCycle(const std::vector<std::string>* names);
    void checkPowerStatus();

    Platform platform_;
    std::shared_ptr<Timer> timer_;
    TickGate gate_;
};

}  // namespace velmora
