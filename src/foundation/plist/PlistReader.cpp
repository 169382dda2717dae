#include "foundation/plist/PlistReader.h"

#include <plist/plist.h>

#include <cstdlib>
#include <limits>
#include <memory>
#include <string>

#include "foundation/plist/PlistBinaryScanner.h"
#include "foundation/plist/PlistDate.h"
#include "foundation/plist/PlistXmlScanner.h"
#include "foundation/plist/Utf8.h"

namespace velmora {
namespace {

struct NodeDeleter {
    void operator()(void* node) const { plist_free(static_cast<plist_t>(node)); }
};
using NodeHandle = std::unique_ptr<void, NodeDeleter>;

struct MallocDeleter {
    void operator()(void* pointer) const { std::free(pointer); }
};

class NodeConverter {
public:
    std::optional<PlistValue> convert(plist_t node, int depth) {
        if (depth > PlistReader::kMaxDepth) return fail("nesting too deep");
        switch (plist_get_node_type(node)) {
            case PLIST_DICT: return dictionary(node, depth);
            case PLIST_ARRAY: return array(node, depth);
            case PLIST_STRING:
            case PLIST_KEY: return text(node);
            case PLIST_UINT: return integer(node);
            case PLIST_UID: {
                std::uint64_t value = 0;
                plist_get_uid_val(node, &value);
                if (value > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
                    return fail("UID out of range");
                }
                return PlistValue(static_cast<std::int64_t>(value));
            }
            case PLIST_REAL: {
                double value = 0;
                plist_get_real_val(node, &value);
                return PlistValue(value);
            }
            case PLIST_BOOLEAN: {
                std::uint8_t value = 0;
                plist_get_bool_val(node, &value);
                return PlistValue(value != 0);
            }
            case PLIST_DATE: {
                // Whole seconds only: that is all the XML form can carry back.
                std::int32_t seconds = 0;
                std::int32_t microseconds = 0;
                plist_get_date_val(node, &seconds, &microseconds);
                return PlistValue(plistdate::fromReferenceSeconds(seconds));
            }
            case PLIST_DATA: {
                std::uint64_t length = 0;
                const char* bytes = plist_get_data_ptr(node, &length);
                return PlistValue(PlistData{bytes ? std::string(bytes, static_cast<std::size_t>(length)) : std::string()});
            }
            default: return fail("unknown value type");
        }
    }

    const std::string& error() const { return error_; }

private:
    std::optional<PlistValue> fail(std::string reason) {
        if (error_.empty()) error_ = std::move(reason);
        return std::nullopt;
    }

    static bool isText(std::string_view bytes) {
        return bytes.find('\0') == std::string_view::npos && isValidUtf8(bytes);
    }

    std::optional<PlistValue> text(plist_t node) {
        std::uint64_t length = 0;
        const char* bytes = plist_get_string_ptr(node, &length);
        const std::string_view view = bytes ? std::string_view(bytes, static_cast<std::size_t>(length)) : std::string_view();
        if (!isText(view)) return fail("string is not valid UTF-8 text");
        return PlistValue(std::string(view));
    }

    std::optional<PlistValue> integer(plist_t node) {
        std::uint64_t value = 0;
        plist_get_uint_val(node, &value);
        if (value <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
            return PlistValue(static_cast<std::int64_t>(value));
        }
        // libplist keeps negative numbers as two's complement and numbers
        // from 2^63 to 2^64-1 as plain unsigned, with only an internal flag
        // between them; its XML writer shows which one this is.
        char* xml = nullptr;
        std::uint32_t length = 0;
        plist_to_xml(node, &xml, &length);
        const std::unique_ptr<char, MallocDeleter> owned(xml);
        const bool negative = xml && std::string_view(xml, length).find("<integer>-") != std::string_view::npos;
        if (!negative) return PlistValue(PlistUnsignedInteger{value});
        return PlistValue(static_cast<std::int64_t>(value));
    }

    std::optional<PlistValue> dictionary(plist_t node, int depth) {
        PlistDictionary result;
        plist_dict_iter iterator = nullptr;
        plist_dict_new_iter(node, &iterator);
        const std::unique_ptr<void, MallocDeleter> ownedIterator(iterator);
        if (!iterator) return fail("out of memory");
        for (;;) {
            char* key = nullptr;
            plist_t value = nullptr;
            plist_dict_next_item(node, iterator, &key, &value);
            const std::unique_ptr<char, MallocDeleter> ownedKey(key);
            if (!value) break;
            if (!key) return fail("dictionary entry without a key");
            const std::string_view keyText(key);
            if (!isValidUtf8(keyText)) return fail("key is not valid UTF-8 text");
            auto converted = convert(value, depth + 1);
            if (!converted) return std::nullopt;
            result.insert_or_assign(std::string(keyText), std::move(*converted));
        }
        return PlistValue(std::move(result));
    }

    std::optional<PlistValue> array(plist_t node, int depth) {
        PlistArray result;
        const std::uint32_t size = plist_array_get_size(node);
        result.reserve(size);
        for (std::uint32_t i = 0; i < size; ++i) {
            plist_t item = plist_array_get_item(node, i);
            if (!item) return fail("missing array element");
            auto converted = convert(item, depth + 1);
            if (!converted) return std::nullopt;
            result.push_back(std::move(*converted));
        }
        return PlistValue(std::move(result));
    }

    std::string error_;
};

PlistParseResult failure(std::string reason) { return PlistParseResult{std::nullopt, std::move(reason)}; }

}  // namespace

PlistParseResult PlistReader::read(std::string_view bytes) const {
    if (bytes.empty()) return failure("empty input");
    if (bytes.size() > kMaxBytes) return failure("input larger than " + std::to_string(kMaxBytes) + " bytes");
    const auto length = static_cast<std::uint32_t>(bytes.size());
    plist_t root = nullptr;
    if (plist_is_binary(bytes.data(), length)) {
        if (auto problem = PlistBinaryScanner(kMaxDepth, kMaxNodes).check(bytes)) return failure(*problem);
        plist_from_bin(bytes.data(), length, &root);
    } else {
        if (auto problem = PlistXmlScanner(kMaxDepth).check(bytes)) return failure(*problem);
        plist_from_xml(bytes.data(), length, &root);
    }
    const NodeHandle owned(root);
    if (!root) return failure("not a property list");
    NodeConverter converter;
    auto value = converter.convert(root, 1);
    if (!value) return failure(converter.error());
    return PlistParseResult{std::move(value), {}};
}

PlistParseResult parsePlist(std::string_view bytes) { return PlistReader().read(bytes); }

}  // namespace velmora
