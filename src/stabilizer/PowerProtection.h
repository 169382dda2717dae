#pragma once
// The two power assertions: the system-sleep one, kept and renewed, and the
// idle-sleep one, taken after every successful system-sleep assertion and
// never given back (the system drops it when the process ends).
#include <cstdint>
#include <mutex>

#include "stabilizer/StabilizerContext.h"

namespace velmora {

class PowerProtection {
public:
    explicit PowerProtection(const StabilizerContext& context);

    void enablePowerProtection();
    void createUSBTimeoutPrevention();
    // Release, 0.1 s pause on the calling thread, take again.
    void refreshPowerAssertion();
    // Gives the system-sleep assertion back, if one is held.
    void releasePowerAssertion();

    std::uint32_t powerAssertionID() const;

private:
    const StabilizerContext& context_;
    // Taken on the main thread at start and stop, renewed on the stabilizer's
    // queue after an immediate stabilization; a stop can meet a renewal, so
    // the identifier and the calls that change it are serialised.
    mutable std::mutex mutex_;
    std::uint32_t powerAssertionID_ = 0;
};

}  // namespace velmora
