#pragma once
// Turns the joined device-tree listing (five grep'd property lines per output
// line, tab separated) into controller records, one per device.
//
// The extractors behave exactly like the first match of the patterns
//   idVendor.*?([0-9a-fA-F]+)   idProduct.*?([0-9a-fA-F]+)   CurrentPowerState.*?([0-9]+)
// taking the whole match as the result, but are written as straight scans:
// device names come from the device's own descriptor, and a backtracking regex
// engine can exhaust the stack on a long hostile line.
#include <string>
#include <string_view>
#include <vector>

#include "foundation/Date.h"
#include "foundation/diagnostics/Diagnostics.h"
#include "stabilizer/USBControllerInfo.h"

namespace velmora {

class USBControllerParser {
public:
    // Logs one line for every record that matched a known problem controller.
    static std::vector<USBControllerInfo> parseUSBControllerOutput(std::string_view output, Date now,
                                                                   Diagnostics& diagnostics);

    static std::string extractControllerType(std::string_view deviceName);
    static std::string extractVendorID(std::string_view line);
    static std::string extractProductID(std::string_view line);
    static long long extractPowerState(std::string_view line);

    // Pieces of the output between newline characters (LF, VT, FF, CR, NEL,
    // LINE SEPARATOR, PARAGRAPH SEPARATOR), empty pieces included.
    static std::vector<std::string_view> splitLines(std::string_view output);
};

}  // namespace velmora
