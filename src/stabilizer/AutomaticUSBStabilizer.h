#pragma once
// The engine that keeps external USB disks usable without any action from the
// user: power assertions, periodic power and kernel tuning, per-controller
// keep-alive for known problem bridges, a watchdog for RTL9210B timeouts,
// recovery after enumeration failures, and per-disk health checks. Creating
// it starts it; the window shows its published state.
//
// Threads: start, stop, every timer tick and all published writes happen on
// the main thread; disk monitoring, Adobe detection, the 30-second cycle,
// controller detection, the chip scripts and the keep-alive pass run on the
// serial queue "usb.auto.stabilizer"; the RTL9210B watchdog's check runs on a
// queue of its own, "usb.auto.stabilizer.watchdog", so a tool hung on the
// first cannot delay it; the check after a system-wide recovery runs on a
// global queue. A tick whose previous work is still queued or running is
// skipped, so a hung tool never builds a backlog.
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "foundation/dispatch/TickGate.h"
#include "foundation/published/Published.h"
#include "platform/Platform.h"
#include "stabilizer/StabilityLevel.h"
#include "stabilizer/USBControllerInfo.h"

namespace velmora {

class AutomaticUSBStabilizer : public std::enable_shared_from_this<AutomaticUSBStabilizer> {
public:
    using StabilityLevel = velmora::StabilityLevel;

    // Constructs and starts (main thread).
    static std::shared_ptr<AutomaticUSBStabilizer> create(Platform platform);
    ~AutomaticUSBStabilizer();
    AutomaticUSBStabilizer(const AutomaticUSBStabilizer&) = delete;
    AutomaticUSBStabilizer& operator=(const AutomaticUSBStabilizer&) = delete;

    // A second call while running does nothing.
    void startAutomaticStabilization();
    // Stops the periodic disk work and releases the system-sleep assertion.
    // The Adobe detection and the RTL9210B watchdog keep running.
    void stopAutomaticStabilization();
    // The watchdog holds the stabilizer strongly and is never ended by a stop,
    // so the stabilizer lives as long as the scheduler does. An owner that
    // ends earlier than the process (a test, a simulated run) ends it here.
    void endWatchdog();

    Published<bool> isActive{false};
    Published<std::vector<std::string>> usbDisksProtected;
    Published<StabilityLevel> currentStabilityLevel{StabilityLevel::monitoring};
    Published<std::string> lastStabilizationAction{std::string("System starting...")};
    Published<std::vector<USBControllerInfo>> usbControllerInfo;
    Published<bool> powerManagementActive{false};

private:
    struct Parts;

    explicit AutomaticUSBStabilizer(Platform platform);

    void detectUSBControllers();
    void publishDetectedControllers(std::vector<USBControllerInfo> controllers);
    void startAdvancedPowerManagement();
    void startUSBMonitoring();
    void startAdobeDetection();
    void startMainStabilizationLoop();
    void startRTL9210EmergencyMonitoring();

    void detectAdobeActivity();
    void monitorUSBDisks();
    void performStabilizationCycle();
    void performPowerManagementCycle();

    // Queues a change of the published state; it does nothing once the
    // stabilizer is gone.
    void onMain(std::function<void(AutomaticUSBStabilizer&)> change);
    // A repeating main-thread timer whose tick queues `work` on the
    // stabilizer's queue through `gate`, holding the stabilizer weakly at both
    // steps.
    std::shared_ptr<Timer> scheduleQueuedTimer(double interval, TickGate& gate, void (AutomaticUSBStabilizer::*work)());

    Platform platform_;
    std::unique_ptr<Parts> parts_;
    std::shared_ptr<SerialQueue> queue_;
    std::shared_ptr<SerialQueue> watchdogQueue_;
    // One per timer: a tick is skipped while its previous work is alive.
    TickGate usbMonitorGate_;
    TickGate stabilizationGate_;
    TickGate adobeGate_;
    TickGate powerManagementGate_;
    TickGate watchdogGate_;
    // Written on the main thread, read by the 30-second cycle on the queue.
    std::atomic<bool> monitoring_{false};
    std::shared_ptr<Timer> stabilizationTimer_;
    std::shared_ptr<Timer> usbMonitorTimer_;
    std::shared_ptr<Timer> powerManagementTimer_;
    std::shared_ptr<Timer> rtl9210EmergencyTimer_;
    // Main thread: the first completed controller detection has been followed
    // by advanced power management.
    bool followedFirstDetection_ = false;
};

}  // namespace velmora
