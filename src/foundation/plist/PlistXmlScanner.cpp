#include "foundation/plist/PlistXmlScanner.h"

#include <cstdint>
#include <limits>

#include "foundation/plist/PlistDate.h"

namespace velmora {
namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool isNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
           c == ':' || c == '.';
}
bool startsWith(std::string_view text, std::size_t at, std::string_view prefix) {
    return text.size() - at >= prefix.size() && text.compare(at, prefix.size(), prefix) == 0;
}
std::string_view trim(std::string_view text) {
    while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
    return text;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

struct Tag {
    std::string_view name;
    bool closing = false;
    bool selfClosing = false;
    std::size_t end = 0;  // index just past '>'
};

// Reads the tag that starts at text[at] == '<'. Double-quoted attribute values
// may hold '>' (libplist skips them); single quotes are ordinary characters,
// as they are to libplist.
std::optional<Tag> readTag(std::string_view text, std::size_t at) {
    Tag tag;
    std::size_t i = at + 1;
    if (i < text.size() && text[i] == '/') {
        tag.closing = true;
        ++i;
    }
    const std::size_t nameStart = i;
    while (i < text.size() && isNameChar(text[i])) ++i;
    if (i == nameStart) return std::nullopt;
    tag.name = text.substr(nameStart, i - nameStart);
    bool inQuotes = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            inQuotes = !inQuotes;
        } else if (inQuotes) {
            continue;
        } else if (c == '<') {
            return std::nullopt;
        } else if (c == '>') {
            tag.selfClosing = text[i - 1] == '/';
            tag.end = i + 1;
            return tag;
        }
    }
    return std::nullopt;
}

}  // namespace

bool PlistXmlScanner::isExactInteger(std::string_view text) {
    text = trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return false;
    // Largest magnitude allowed: 2^63 for a negative number, 2^64 - 1 otherwise.
    const std::uint64_t limit = negative ? std::uint64_t{1} << 63 : std::numeric_limits<std::uint64_t>::max();
    std::uint64_t magnitude = 0;
    unsigned base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    } else if (text.size() > 1 && text[0] == '0') {
        return false;  // a leading zero would be octal to libplist, decimal to macOS
    }
    for (char c : text) {
        const int digit = base == 16 ? hexValue(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
        if (digit < 0) return false;
        if (magnitude > (limit - static_cast<std::uint64_t>(digit)) / base) return false;
        magnitude = magnitude * base + static_cast<std::uint64_t>(digit);
    }
    return true;
}

std::optional<std::string> PlistXmlScanner::check(std::string_view xml) const {
    // NUL is not allowed in XML, and libplist aborts on a key that holds one.
    if (xml.find('\0') != std::string_view::npos) return "NUL byte in XML";
    int depth = 0;
    std::size_t i = 0;
    const std::size_t n = xml.size();
    while (i < n) {
        const std::size_t open = xml.find('<', i);
        if (open == std::string_view::npos) break;
        if (startsWith(xml, open, "<!--")) {
            const std::size_t close = xml.find("-->", open + 4);
            if (close == std::string_view::npos) return "unterminated comment";
            i = close + 3;
            continue;
        }
        if (startsWith(xml, open, "<![CDATA[")) {
            const std::size_t close = xml.find("]]>", open + 9);
            if (close == std::string_view::npos) return "unterminated CDATA section";
            i = close + 3;
            continue;
        }
        if (startsWith(xml, open, "<?")) {
            const std::size_t close = xml.find("?>", open + 2);
            if (close == std::string_view::npos) return "unterminated processing instruction";
            i = close + 2;
            continue;
        }
        if (startsWith(xml, open, "<!")) {
            // A declaration such as DOCTYPE: only the plain form, with no
            // internal subset and no quoted '>' that parsers could disagree on.
            const std::size_t close = xml.find('>', open + 2);
            if (close == std::string_view::npos) return "unterminated declaration";
            const std::string_view body = xml.substr(open + 2, close - open - 2);
            std::size_t quotes = 0;
            for (char c : body) {
                if (c == '<' || c == '[' || c == ']' || c == '\'') return "unsupported declaration";
                if (c == '"') ++quotes;
            }
            if (quotes % 2 != 0) return "unsupported declaration";
            i = close + 1;
            continue;
        }
        const auto tag = readTag(xml, open);
        if (!tag) return "malformed tag";
        i = tag->end;
        // <plist> counts too: nothing is lost by over-counting it.
        const bool container = tag->name == "dict" || tag->name == "array" || tag->name == "plist";
        if (tag->closing) {
            // A stray closing tag must not buy room for deeper nesting later.
            if (container && depth > 0) --depth;
            continue;
        }
        if (container && !tag->selfClosing) {
            if (++depth > maxDepth_) return "nesting deeper than " + std::to_string(maxDepth_) + " levels";
            continue;
        }
        const bool integer = tag->name == "integer";
        const bool date = tag->name == "date";
        if (!integer && !date) continue;
        if (tag->selfClosing) return integer ? "empty integer" : "empty date";
        const std::size_t contentEnd = xml.find('<', i);
        if (contentEnd == std::string_view::npos) return "truncated";
        const std::string_view closer = integer ? "</integer" : "</date";
        if (!startsWith(xml, contentEnd, closer)) return "markup inside a value";
        const std::string_view content = xml.substr(i, contentEnd - i);
        if (integer && !isExactInteger(content)) {
            return "integer out of range or malformed: " + std::string(trim(content).substr(0, 40));
        }
        if (date) {
            const auto seconds = plistdate::parseIsoReferenceSeconds(content);
            // libplist keeps dates as 32-bit seconds; anything wider would wrap.
            if (!seconds || *seconds < std::numeric_limits<std::int32_t>::min() ||
                *seconds > std::numeric_limits<std::int32_t>::max()) {
                return "unreadable date: " + std::string(trim(content).substr(0, 40));
            }
        }
        i = contentEnd;
    }
    return std::nullopt;
}

}  // namespace velmora
