// The USB controller parser reads text that devices partly write themselves
// (product names): any input must parse without crashing or hanging.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "foundation/diagnostics/Diagnostics.h"
#include "stabilizer/USBControllerParser.h"

namespace {
class DiscardingDiagnostics final : public velmora::Diagnostics {
public:
    void line(std::string_view) override {}
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    DiscardingDiagnostics diagnostics;
    auto controllers = velmora::USBControllerParser::parseUSBControllerOutput(input, velmora::Date{}, diagnostics);
    for (const auto& controller : controllers) {
        if (controller.deviceName.size() > size) __builtin_trap();
    }
    velmora::USBControllerParser::extractVendorID(input);
    velmora::USBControllerParser::extractPowerState(input);
    return 0;
}
