#pragma once
// Switches between normal and maximum protection when the set of running
// Adobe (or other "creative") applications changes. Runs on the stabilizer's
// queue only, which is the sole owner of the remembered list.
#include <string>
#include <vector>

#include "foundation/Date.h"
#include "stabilizer/StabilizerContext.h"

namespace velmora {

class AdobeProtection {
public:
    AdobeProtection(const StabilizerContext& context, Date constructionTime);

    void detectAdobeActivity();
    void activateEnhancedProtection();
    void activateNormalProtection();

    const std::vector<std::string>& adobeAppsActive() const { return adobeAppsActive_; }
    Date lastAdobeCheck() const { return lastAdobeCheck_; }

private:
    const StabilizerContext& context_;
    std::vector<std::string> adobeAppsActive_;
    Date lastAdobeCheck_;
};

}  // namespace velmora
