#include "stabilizer/ProblematicControllers.h"

namespace velmora {

ProblematicControllers::ProblematicControllers()
    : rows_{
          {"RTL9210B-CG", {"Realtek RTL9210B-CG", true, 30.0, USBControllerSpecialHandling::realtekRTL9210B}},
          {"RTL9210", {"Realtek RTL9210", true, 45.0, USBControllerSpecialHandling::realtekRTL9210B}},
          {"ASM1153E", {"ASMedia ASM1153E", true, 60.0, USBControllerSpecialHandling::asmediaGeneric}},
          {"JMS567", {"JMicron JMS567", true, 75.0, USBControllerSpecialHandling::jmicronGeneric}},
      } {}

const ProblematicControllers& ProblematicControllers::table() {
    static const ProblematicControllers instance;
    return instance;
}

std::optional<USBControllerSolution> ProblematicControllers::find(std::string_view key) const {
    for (const auto& [candidate, solution] : rows_) {
        if (candidate == key) return solution;
    }
    return std::nullopt;
}

}  // namespace velmora
