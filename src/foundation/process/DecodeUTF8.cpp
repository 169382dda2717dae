#include "foundation/process/ProcessLauncher.h"

namespace velmora {

namespace {

// Length of the well-formed sequence starting at `at`, or 0 when it is not one.
// The second-byte ranges reject overlong forms, UTF-16 surrogates and code
// points past U+10FFFF.
std::size_t sequenceLength(const unsigned char* bytes, std::size_t at, std::size_t size) {
    const unsigned char lead = bytes[at];
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (size - at < length) return 0;
    if (bytes[at + 1] < low || bytes[at + 1] > high) return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (bytes[at + i] < 0x80 || bytes[at + i] > 0xBF) return 0;
    }
    return length;
}

}  // namespace

std::optional<std::string> decodeUTF8(const std::string& bytes) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t length = sequenceLength(data, at, bytes.size());
        if (length == 0) return std::nullopt;
        at += length;
    }
    return bytes;
}

std::optional<std::string> decodeCutUTF8(std::string_view bytes) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    std::string text;
    text.reserve(bytes.size());
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t length = sequenceLength(data, at, bytes.size());
        if (length > 0) {
            text.append(bytes.substr(at, length));
            at += length;
            continue;
        }
        // A lead byte followed by fewer continuation bytes than it announces,
        // then the end of a field: the column was cut there.
        std::size_t end = at + 1;
        while (end < bytes.size() && (data[end] & 0xC0) == 0x80) ++end;
        const bool fieldEnds = end == bytes.size() || data[end] == ' ' || data[end] == '\t';
        if (data[at] < 0xC2 || data[at] > 0xF4 || !fieldEnds) return std::nullopt;
        at = end;
    }
    return text;
}

}  // namespace velmora
