#include "foundation/plist/PlistBinaryScanner.h"

#include <vector>

namespace velmora {
namespace {

constexpr std::size_t kHeaderSize = 8;
constexpr std::size_t kTrailerSize = 32;

std::uint64_t readBigEndian(std::string_view bytes, std::size_t at, std::size_t width) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < width; ++i) value = (value << 8) | static_cast<std::uint8_t>(bytes[at + i]);
    return value;
}

// The layout facts the walk needs, all bounds-checked once.
struct Layout {
    std::string_view bytes;
    std::size_t offsetSize = 0;
    std::size_t refSize = 0;
    std::uint64_t objectCount = 0;
    std::uint64_t top = 0;
    std::size_t tableOffset = 0;

    std::uint64_t offsetOf(std::uint64_t object) const {
        return readBigEndian(bytes, tableOffset + static_cast<std::size_t>(object) * offsetSize, offsetSize);
    }
};

struct Children {
    std::size_t first = 0;  // byte index of the first reference
    std::uint64_t count = 0;
    bool dictionary = false;  // the first half of the references are keys
};

// Reads an object's length: the marker's low nibble, or an integer object
// after it when the nibble is 0xF. Advances `at` past what it read.
std::optional<std::uint64_t> lengthAfterMarker(const Layout& layout, std::uint8_t marker, std::size_t& at) {
    std::uint64_t length = marker & 0x0F;
    if (length != 0x0F) return length;
    if (at >= layout.tableOffset) return std::nullopt;
    const auto lengthMarker = static_cast<std::uint8_t>(layout.bytes[at]);
    if ((lengthMarker >> 4) != 0x1 || (lengthMarker & 0x0F) > 3) return std::nullopt;
    const std::size_t width = std::size_t{1} << (lengthMarker & 0x0F);
    ++at;
    if (layout.tableOffset - at < width) return std::nullopt;
    length = readBigEndian(layout.bytes, at, width);
    at += width;
    return length;
}

// libplist aborts (an assertion) on a dictionary key holding a NUL
// character, so keys are checked here: strings only, no NUL, in bounds.
bool isAcceptableKey(const Layout& layout, std::uint64_t object) {
    const std::uint64_t offset = layout.offsetOf(object);
    if (offset < kHeaderSize || offset >= layout.tableOffset) return false;
    std::size_t at = static_cast<std::size_t>(offset);
    const auto marker = static_cast<std::uint8_t>(layout.bytes[at++]);
    const unsigned type = marker >> 4;
    if (type != 0x5 && type != 0x6) return false;
    const auto length = lengthAfterMarker(layout, marker, at);
    if (!length) return false;
    const std::size_t unit = type == 0x6 ? 2 : 1;
    if (*length > (layout.tableOffset - at) / unit) return false;
    const std::size_t bytes = static_cast<std::size_t>(*length) * unit;
    for (std::size_t i = 0; i < bytes; i += unit) {
        const bool zero = unit == 1 ? layout.bytes[at + i] == '\0'
                                    : layout.bytes[at + i] == '\0' && layout.bytes[at + i + 1] == '\0';
        if (zero) return false;
    }
    return true;
}

// libplist keeps only the low 64 bits of a sixteen-byte integer, so a value
// that needs more would silently read as another number. The offset is
// already known to lie inside the object area.
bool isWiderThan64Bits(const Layout& layout, std::uint64_t object) {
    const auto at = static_cast<std::size_t>(layout.offsetOf(object));
    if (static_cast<std::uint8_t>(layout.bytes[at]) != 0x14 || layout.tableOffset - at < 17) return false;
    return readBigEndian(layout.bytes, at + 1, 8) != 0;
}

// Where an object's references lie: empty for scalars, absent when the object
// runs outside the object area.
std::optional<Children> childrenOf(const Layout& layout, std::uint64_t object) {
    const std::uint64_t offset = layout.offsetOf(object);
    if (offset < kHeaderSize || offset >= layout.tableOffset) return std::nullopt;
    std::size_t at = static_cast<std::size_t>(offset);
    const auto marker = static_cast<std::uint8_t>(layout.bytes[at]);
    const unsigned type = marker >> 4;
    if (type != 0xA && type != 0xB && type != 0xC && type != 0xD) return Children{};
    ++at;
    auto length = lengthAfterMarker(layout, marker, at);
    if (!length) return std::nullopt;
    std::uint64_t count = *length;
    const std::uint64_t available = (layout.tableOffset - at) / layout.refSize;
    if (type == 0xD) {
        if (count > available / 2) return std::nullopt;
        count *= 2;  // keys, then values
    } else if (count > available) {
        return std::nullopt;
    }
    return Children{at, count, type == 0xD};
}

}  // namespace

bool PlistBinaryScanner::looksBinary(std::string_view bytes) {
    return bytes.size() >= kHeaderSize && bytes.substr(0, 6) == "bplist";
}

std::optional<std::string> PlistBinaryScanner::check(std::string_view bytes) const {
    if (bytes.size() < kHeaderSize + kTrailerSize + 1) return "binary property list too short";
    const std::size_t trailer = bytes.size() - kTrailerSize;
    Layout layout;
    layout.bytes = bytes;
    layout.offsetSize = static_cast<std::uint8_t>(bytes[trailer + 6]);
    layout.refSize = static_cast<std::uint8_t>(bytes[trailer + 7]);
    layout.objectCount = readBigEndian(bytes, trailer + 8, 8);
    layout.top = readBigEndian(bytes, trailer + 16, 8);
    const std::uint64_t tableOffset = readBigEndian(bytes, trailer + 24, 8);
    if (layout.offsetSize < 1 || layout.offsetSize > 8 || layout.refSize < 1 || layout.refSize > 8) {
        return "binary property list with bad integer sizes";
    }
    if (layout.objectCount == 0 || layout.top >= layout.objectCount) return "binary property list without objects";
    if (tableOffset < kHeaderSize || tableOffset > trailer ||
        layout.objectCount > (trailer - tableOffset) / layout.offsetSize) {
        return "binary property list with a bad offset table";
    }
    layout.tableOffset = static_cast<std::size_t>(tableOffset);

    enum : std::uint8_t { kNew, kOnPath, kDone };
    const auto objects = static_cast<std::size_t>(layout.objectCount);
    std::vector<std::uint8_t> state(objects, kNew);
    std::vector<std::uint64_t> expanded(objects, 0);  // nodes libplist would build, saturated
    struct Frame { std::uint64_t object; Children children; std::uint64_t next; std::uint64_t nodes; };
    std::vector<Frame> path;

    auto enter = [&](std::uint64_t object) -> std::optional<std::string> {
        const auto children = childrenOf(layout, object);
        if (!children) return "binary property list object out of bounds";
        if (isWiderThan64Bits(layout, object)) return "binary property list integer wider than 64 bits";
        if (children->count > 0 && static_cast<int>(path.size()) >= maxDepth_) {
            return "nesting deeper than " + std::to_string(maxDepth_) + " levels";
        }
        state[static_cast<std::size_t>(object)] = kOnPath;
        path.push_back({object, *children, 0, 1});
        return std::nullopt;
    };
    if (auto error = enter(layout.top)) return error;
    while (!path.empty()) {
        Frame& frame = path.back();
        if (frame.next == frame.children.count) {
            const auto done = static_cast<std::size_t>(frame.object);
            state[done] = kDone;
            expanded[done] = frame.nodes;
            path.pop_back();
            if (!path.empty()) {
                path.back().nodes += expanded[done];
                if (path.back().nodes > maxNodes_) return "binary property list expands to too many values";
            }
            continue;
        }
        const std::size_t refAt = frame.children.first + static_cast<std::size_t>(frame.next) * layout.refSize;
        ++frame.next;
        const std::uint64_t child = readBigEndian(bytes, refAt, layout.refSize);
        if (child >= layout.objectCount) return "binary property list reference out of range";
        if (frame.children.dictionary && frame.next <= frame.children.count / 2 && !isAcceptableKey(layout, child)) {
            return "binary property list with an unusable dictionary key";
        }
        const auto index = static_cast<std::size_t>(child);
        if (state[index] == kOnPath) return "binary property list refers to itself";
        if (state[index] == kDone) {
            frame.nodes += expanded[index];
            if (frame.nodes > maxNodes_) return "binary property list expands to too many values";
            continue;
        }
        if (auto error = enter(child)) return error;
    }
    return std::nullopt;
}

}  // namespace velmora
