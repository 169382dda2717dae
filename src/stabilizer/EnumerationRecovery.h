#pragma once
// The chain that follows USB enumeration failures in the system log: detect,
// run the system-wide recovery, check again 5 seconds later on a global queue,
// and escalate once to the enhanced recovery if failures are still logged.
// Chains are neither tracked nor limited; a pending check survives a stop.
#include <optional>
#include <string_view>

#include "stabilizer/StabilizerContext.h"
#include "stabilizer/USBDiskLister.h"

namespace velmora {

class EnumerationRecovery {
public:
    EnumerationRecovery(const StabilizerContext& context, const USBDiskLister& lister);

    void checkForSystemWideEnumerationFailures();
    void performSystemWideEnumerationRecovery();
    void refreshUSBSubsystem();
    void resetUSBPowerManagement();
    void reinitializeUSBControllers();
    void verifySystemWideRecovery();
    void performEnhancedSystemRecovery();

    // The command prints one number: surrounding whitespace is allowed, then
    // an optional sign and decimal digits only; anything else has no count.
    static std::optional<long long> readCount(std::string_view output);

private:
    const StabilizerContext& context_;
    const USBDiskLister& lister_;
};

}  // namespace velmora
