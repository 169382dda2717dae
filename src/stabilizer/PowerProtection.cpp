#include "stabilizer/PowerProtection.h"

#include <string>

namespace velmora {

PowerProtection::PowerProtection(const StabilizerContext& context) : context_(context) {}

std::uint32_t PowerProtection::powerAssertionID() const {
    std::lock_guard lock(mutex_);
    return powerAssertionID_;
}

void PowerProtection::enablePowerProtection() {
    int status = 0;
    std::uint32_t id = 0;
    {
        std::lock_guard lock(mutex_);
        // An identifier still held is overwritten without a release.
        status = context_.platform().power->create("PreventSystemSleep", 255, "Velmora RTL9210B Protection",
                                                   powerAssertionID_);
        id = powerAssertionID_;
    }
    if (status != 0) {
        context_.log("❌ Power protection error: " + std::to_string(status));
        return;
    }
    context_.log("✅ RTL9210B Protection Active - Assertion ID: " + std::to_string(id));
    createUSBTimeoutPrevention();
}

void PowerProtection::createUSBTimeoutPrevention() {
    std::uint32_t id = 0;
    int status = context_.platform().power->create("NoIdleSleepAssertion", 255, "RTL9210B-CG USB Timeout Prevention", id);
    if (status == 0) context_.log("✅ USB Timeout Prevention Active - ID: " + std::to_string(id));
}

void PowerProtection::refreshPowerAssertion() {
    releasePowerAssertion();
    context_.platform().scheduler->sleep(0.1);
    enablePowerProtection();
    context_.log("🔄 Power assertion yenilendi");
}

void PowerProtection::releasePowerAssertion() {
    std::lock_guard lock(mutex_);
    if (powerAssertionID_ == 0) return;
    if (context_.platform().power->release(powerAssertionID_) == 0) context_.log("✅ Power protection deaktif");
    // A failed release is silent; the identifier is forgotten either way.
    powerAssertionID_ = 0;
}

}  // namespace velmora
