#include "stabilizer/USBControllerParser.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "foundation/strings/AsciiCase.h"
#include "foundation/strings/DecimalInteger.h"
#include "stabilizer/ProblematicControllers.h"

namespace velmora {

namespace {

bool isHexDigit(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }
bool isDecimalDigit(char c) { return c >= '0' && c <= '9'; }
// What "." refuses to cross in the pattern language the rules were written in.
bool isLineTerminator(char c) { return c == '\n' || c == '\r'; }

// First match of `literal.*?(digit+)`: the leftmost occurrence of the literal
// after which, before any line terminator, a digit appears; the match runs to
// the end of that digit run. Later occurrences cannot succeed where the first
// failed unless a line terminator separates them, so the scan resumes after
// that terminator; each character is looked at a bounded number of times.
template <typename IsDigit>
std::optional<std::string_view> firstLazyMatch(std::string_view line, std::string_view literal, IsDigit isDigit) {
    std::size_t from = 0;
    while (true) {
        std::size_t start = line.find(literal, from);
        if (start == std::string_view::npos) return std::nullopt;
        std::size_t i = start + literal.size();
        while (i < line.size() && !isDigit(line[i]) && !isLineTerminator(line[i])) ++i;
        if (i < line.size() && isDigit(line[i])) {
            while (i < line.size() && isDigit(line[i])) ++i;
            return line.substr(start, i - start);
        }
        if (i >= line.size()) return std::nullopt;
        from = i + 1;
    }
}

// Length of the newline character starting at `i`, 0 when there is none.
std::size_t newlineLength(std::string_view text, std::size_t i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\n' || c == '\v' || c == '\f' || c == '\r') return 1;
    if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0x85) return 2;
    if (c == 0xE2 && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0x80) {
        unsigned char third = static_cast<unsigned char>(text[i + 2]);
        if (third == 0xA8 || third == 0xA9) return 3;
    }
    return 0;
}

// The device name of a joined line: the value of its "USB Product Name"
// property. Taking the first quoted word of the line instead would name every
// device after a property key on a real device tree (each device has only four
// matching lines, so the five-line joins start with "idProduct",
// "IOPowerManagement", …) and no bridge would ever be recognised. A line that
// carries no such value keeps the first-quoted-word rule.
std::optional<std::string_view> deviceNameOf(std::string_view line) {
    static constexpr std::string_view property = "\"USB Product Name\" = \"";
    std::size_t start;
    if (std::size_t at = line.find(property); at != std::string_view::npos) {
        start = at + property.size();
    } else {
        std::size_t firstQuote = line.find('"');
        if (firstQuote == std::string_view::npos) return std::nullopt;
        start = firstQuote + 1;
    }
    std::size_t end = line.find('"', start);
    return line.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

// The key of a device-tree property line (`  | |   "idVendor" = 3034`) when
// it is one of the properties the listing greps for; otherwise nothing.
std::optional<std::string_view> listedPropertyOf(std::string_view field) {
    const std::size_t open = field.find_first_not_of(" |");
    if (open == std::string_view::npos || field[open] != '"') return std::nullopt;
    const std::size_t close = field.find('"', open + 1);
    if (close == std::string_view::npos || field.substr(close + 1, 3) != " = ") return std::nullopt;
    const std::string_view key = field.substr(open + 1, close - open - 1);
    for (std::string_view listed :
         {"USB Product Name", "idVendor", "idProduct", "IOPowerManagement", "CurrentPowerState", "DeviceAddress"}) {
        if (key == listed) return key;
    }
    return std::nullopt;
}

// One text per device. The listing pastes five grep'd lines per output line,
// but modern ioreg prints four matching properties per device, so output lines
// straddle devices and one line can hold two product names, the second of
// which would be lost. Lines made only of device-tree property lines are
// therefore regrouped by device: a device's properties are contiguous and each
// appears once, so a repeated key starts the next device. Any other line stays
// one record of its own.
std::vector<std::string> deviceRecords(std::string_view output) {
    std::vector<std::string> records;
    std::string group;
    std::vector<std::string_view> groupKeys;
    auto flush = [&] {
        if (!group.empty()) records.push_back(std::move(group));
        group.clear();
        groupKeys.clear();
    };
    for (std::string_view line : USBControllerParser::splitLines(output)) {
        std::vector<std::string_view> fields;
        bool listed = false, onlyListed = true;
        for (std::size_t start = 0;;) {
            const std::size_t tab = line.find('\t', start);
            const std::string_view field =
                line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start);
            if (!field.empty()) {
                fields.push_back(field);
                const bool isListed = listedPropertyOf(field).has_value();
                listed = listed || isListed;
                onlyListed = onlyListed && isListed;
            }
            if (tab == std::string_view::npos) break;
            start = tab + 1;
        }
        if (!listed || !onlyListed) {
            flush();
            records.emplace_back(line);
            continue;
        }
        for (std::string_view field : fields) {
            const auto key = listedPropertyOf(field);
            if (key && std::find(groupKeys.begin(), groupKeys.end(), *key) != groupKeys.end()) flush();
            if (key) groupKeys.push_back(*key);
            if (!group.empty()) group += '\t';
            group += field;
        }
    }
    flush();
    return records;
}

}  // namespace

std::vector<std::string_view> USBControllerParser::splitLines(std::string_view output) {
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < output.size()) {
        std::size_t length = newlineLength(output, i);
        if (length == 0) {
            ++i;
            continue;
        }
        pieces.push_back(output.substr(start, i - start));
        i += length;
        start = i;
    }
    pieces.push_back(output.substr(start));
    return pieces;
}

std::vector<USBControllerInfo> USBControllerParser::parseUSBControllerOutput(std::string_view output, Date now,
                                                                             Diagnostics& diagnostics) {
    const auto& table = ProblematicControllers::table();
    std::vector<USBControllerInfo> controllers;
    for (const std::string& record : deviceRecords(output)) {
        const std::string_view line = record;
        if (line.find("USB Product Name") == std::string_view::npos) continue;
        auto deviceName = deviceNameOf(line);
        if (!deviceName) continue;

        USBControllerInfo info;
        info.deviceName = std::string(*deviceName);
        info.controllerType = extractControllerType(*deviceName);
        info.solution = table.find(info.controllerType);
        info.hasKnownIssues = info.solution.has_value();
        info.vendorID = extractVendorID(line);
        info.productID = extractProductID(line);
        info.powerState = extractPowerState(line);
        info.lastActivity = now;
        if (info.solution) {
            diagnostics.line("🎯 Detected problematic controller: " + info.deviceName + " (" + info.controllerType + ")");
        }
        controllers.push_back(std::move(info));
    }
    return controllers;
}

std::string USBControllerParser::extractControllerType(std::string_view deviceName) {
    for (const auto& row : ProblematicControllers::table().rows()) {
        if (deviceName.find(row.first) != std::string_view::npos) return row.first;
    }
    std::string lower = asciiLowercased(deviceName);
    if (lower.find("realtek") != std::string::npos) return "RTL9210";
    if (lower.find("asmedia") != std::string::npos) return "ASM1153E";
    if (lower.find("jmicron") != std::string::npos) return "JMS567";
    return "GENERIC";
}

std::string USBControllerParser::extractVendorID(std::string_view line) {
    auto match = firstLazyMatch(line, "idVendor", isHexDigit);
    return match ? std::string(*match) : "Unknown";
}

std::string USBControllerParser::extractProductID(std::string_view line) {
    auto match = firstLazyMatch(line, "idProduct", isHexDigit);
    return match ? std::string(*match) : "Unknown";
}

long long USBControllerParser::extractPowerState(std::string_view line) {
    auto match = firstLazyMatch(line, "CurrentPowerState", isDecimalDigit);
    if (!match) return 0;
    std::size_t lastEquals = match->rfind('=');
    std::string_view last = lastEquals == std::string_view::npos ? *match : match->substr(lastEquals + 1);
    return parseDecimalInteger(last).value_or(0);
}

}  // namespace velmora
