#pragma once
// The constant table of bridge chips known to misbehave, keyed by the text
// that identifies them in a USB product name. Rows are kept in the order keys
// are tried: "RTL9210B-CG" before "RTL9210", because the shorter key is a
// substring of the longer one and a name with the full chip id must map to it.
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "stabilizer/USBControllerSolution.h"

namespace velmora {

class ProblematicControllers {
public:
    using Row = std::pair<std::string, USBControllerSolution>;

    static const ProblematicControllers& table();

    const std::vector<Row>& rows() const { return rows_; }
    std::optional<USBControllerSolution> find(std::string_view key) const;

private:
    ProblematicControllers();
    std::vector<Row> rows_;
};

}  // namespace velmora
