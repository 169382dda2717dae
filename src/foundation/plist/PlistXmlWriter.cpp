#include "foundation/plist/PlistXmlWriter.h"

#include <algorithm>
#include <cinttypes>
#include <limits>
#include <cmath>
#include <cstdio>

#include "foundation/plist/PlistDate.h"

namespace velmora {

std::string PlistXmlWriter::write(const PlistValue& root) {
    out_.clear();
    out_ +=
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
        "<plist version=\"1.0\">\n";
    value(root, 0);
    out_ += "</plist>\n";
    return std::move(out_);
}

void PlistXmlWriter::line(int indent, const std::string& text) {
    out_.append(static_cast<std::size_t>(indent), '\t');
    out_ += text;
    out_ += '\n';
}

void PlistXmlWriter::value(const PlistValue& item, int indent) {
    const auto& storage = item.storage();
    if (const auto* dictionary = std::get_if<PlistDictionary>(&storage)) {
        if (dictionary->empty()) return line(indent, "<dict/>");
        line(indent, "<dict>");
        for (const auto& [key, element] : *dictionary) {
            line(indent + 1, "<key>" + escaped(key) + "</key>");
            value(element, indent + 1);
        }
        return line(indent, "</dict>");
    }
    if (const auto* array = std::get_if<PlistArray>(&storage)) {
        if (array->empty()) return line(indent, "<array/>");
        line(indent, "<array>");
        for (const auto& element : *array) value(element, indent + 1);
        return line(indent, "</array>");
    }
    if (const auto* text = std::get_if<std::string>(&storage)) return line(indent, "<string>" + escaped(*text) + "</string>");
    if (const auto* integer = std::get_if<std::int64_t>(&storage)) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%" PRId64, *integer);
        return line(indent, std::string("<integer>") + buffer + "</integer>");
    }
    if (const auto* large = std::get_if<PlistUnsignedInteger>(&storage)) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%" PRIu64, large->value);
        return line(indent, std::string("<integer>") + buffer + "</integer>");
    }
    if (const auto* number = std::get_if<double>(&storage)) return line(indent, "<real>" + real(*number) + "</real>");
    if (const auto* flag = std::get_if<bool>(&storage)) return line(indent, *flag ? "<true/>" : "<false/>");
    if (const auto* date = std::get_if<Date>(&storage)) {
        // Held to the range the reader accepts: one date out of range must
        // not make the whole preferences file unreadable.
        const std::int64_t seconds = std::clamp<std::int64_t>(plistdate::toReferenceSeconds(*date),
                                                              std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max());
        return line(indent, "<date>" + plistdate::formatIso(seconds) + "</date>");
    }
    if (const auto* data = std::get_if<PlistData>(&storage)) return line(indent, "<data>" + base64(data->bytes) + "</data>");
}

std::string PlistXmlWriter::escaped(const std::string& text) {
    std::string result;
    result.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&': result += "&amp;"; break;
            case '<': result += "&lt;"; break;
            case '>': result += "&gt;"; break;
            case '\t':
            case '\n': result += c; break;
            default:
                // Other control characters are not allowed raw in XML text.
                if (static_cast<unsigned char>(c) < 0x20) {
                    result += "&#" + std::to_string(static_cast<int>(c)) + ";";
                } else {
                    result += c;
                }
        }
    }
    return result;
}

std::string PlistXmlWriter::base64(const std::string& bytes) {
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string result;
    result.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const std::uint32_t chunk = (static_cast<std::uint8_t>(bytes[i]) << 16) |
                                    (static_cast<std::uint8_t>(bytes[i + 1]) << 8) | static_cast<std::uint8_t>(bytes[i + 2]);
        result += kAlphabet[(chunk >> 18) & 63];
        result += kAlphabet[(chunk >> 12) & 63];
        result += kAlphabet[(chunk >> 6) & 63];
        result += kAlphabet[chunk & 63];
    }
    const std::size_t rest = bytes.size() - i;
    if (rest > 0) {
        std::uint32_t chunk = static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[i])) << 16;
        if (rest == 2) chunk |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[i + 1])) << 8;
        result += kAlphabet[(chunk >> 18) & 63];
        result += kAlphabet[(chunk >> 12) & 63];
        result += rest == 2 ? kAlphabet[(chunk >> 6) & 63] : '=';
        result += '=';
    }
    return result;
}

std::string PlistXmlWriter::real(double number) {
    if (std::isnan(number)) return "nan";
    if (std::isinf(number)) return number > 0 ? "+infinity" : "-infinity";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.17g", number);
    return buffer;
}

std::string toXmlPlist(const PlistValue& value) { return PlistXmlWriter().write(value); }

}  // namespace velmora
