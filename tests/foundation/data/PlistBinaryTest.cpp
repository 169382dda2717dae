#include <gtest/gtest.h>
#include <plist/plist.h>

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "PlistTestSupport.h"
#include "foundation/plist/PlistValue.h"

namespace velmora {
namespace {

void appendBigEndian(std::string& out, std::uint64_t value, int width) {
    for (int i = width - 1; i >= 0; --i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// A binary property list of the given encoded objects; object 0 is the root.
// References are four bytes wide.
std::string binaryPlist(const std::vector<std::string>& objects) {
    std::string out = "bplist00";
    std::vector<std::uint64_t> offsets;
    for (const auto& object : objects) {
        offsets.push_back(out.size());
        out += object;
    }
    const std::uint64_t table = out.size();
    for (auto offset : offsets) appendBigEndian(out, offset, 8);
    out.append(6, '\0');
    out.push_back(8);  // offset width
    out.push_back(4);  // reference width
    appendBigEndian(out, objects.size(), 8);
    appendBigEndian(out, 0, 8);
    appendBigEndian(out, table, 8);
    return out;
}

std::string arrayOf(const std::vector<std::uint32_t>& references) {
    std::string object(1, static_cast<char>(0xA0 | references.size()));
    for (auto reference : references) appendBigEndian(object, reference, 4);
    return object;
}

std::string bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) out.push_back(static_cast<char>(v));
    return out;
}

TEST(PlistBinary, SampleReadsTheSameAsItsXml) {
    const std::string xml = testing::readFileBytes(
        testing::samplePath("diskutil-info-plist_usb-sata-adapter_samsung-pm830_hst-imager.plist"));
    plist_t node = nullptr;
    plist_from_xml(xml.data(), static_cast<std::uint32_t>(xml.size()), &node);
    ASSERT_NE(node, nullptr);
    char* binary = nullptr;
    std::uint32_t length = 0;
    plist_to_bin(node, &binary, &length);
    plist_free(node);
    ASSERT_NE(binary, nullptr);
    const std::string binaryBytes(binary, length);
    std::free(binary);

    const auto fromBinary = parsePlist(binaryBytes);
    const auto fromXml = parsePlist(xml);
    ASSERT_TRUE(fromBinary.value.has_value()) << fromBinary.error;
    ASSERT_TRUE(fromXml.value.has_value()) << fromXml.error;
    EXPECT_EQ(*fromBinary.value, *fromXml.value);
}

TEST(PlistBinary, IntegersKeepTheirSign) {
    const auto minusOne = parsePlist(binaryPlist({arrayOf({1}), bytes({0x13, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF})}));
    ASSERT_TRUE(minusOne.value.has_value()) << minusOne.error;
    EXPECT_EQ(minusOne.value->asArray()->front().asInteger(), -1);

    const auto minimum = parsePlist(binaryPlist({arrayOf({1}), bytes({0x13, 0x80, 0, 0, 0, 0, 0, 0, 0})}));
    ASSERT_TRUE(minimum.value.has_value()) << minimum.error;
    EXPECT_EQ(minimum.value->asArray()->front().asInteger(), std::numeric_limits<std::int64_t>::min());

    // Sixteen-byte integers hold unsigned values: 2^63 is kept, but is no
    // integer to readers, and the rest of the document still reads.
    const auto unsignedOnly = parsePlist(binaryPlist(
        {arrayOf({1, 2}), bytes({0x14, 0, 0, 0, 0, 0, 0, 0, 0, 0x80, 0, 0, 0, 0, 0, 0, 0}), bytes({0x10, 0x05})}));
    ASSERT_TRUE(unsignedOnly.value.has_value()) << unsignedOnly.error;
    const auto& items = *unsignedOnly.value->asArray();
    EXPECT_EQ(items[0].asInteger(), std::nullopt);
    EXPECT_EQ(items[0], PlistValue(PlistUnsignedInteger{std::uint64_t{1} << 63}));
    EXPECT_EQ(items[1].asInteger(), 5);

    // Beyond 64 bits there is nothing exact to keep.
    const auto beyond = parsePlist(binaryPlist(
        {arrayOf({1}), bytes({0x14, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 5})}));
    EXPECT_FALSE(beyond.value.has_value());
}

TEST(PlistBinary, UidReadsAsInteger) {
    const auto result = parsePlist(binaryPlist({arrayOf({1}), bytes({0x80, 0x07})}));
    ASSERT_TRUE(result.value.has_value()) << result.error;
    EXPECT_EQ(result.value->asArray()->front().asInteger(), 7);
}

TEST(PlistBinary, ModerateChainIsFine) {
    std::vector<std::string> objects;
    for (std::uint32_t i = 0; i < 100; ++i) objects.push_back(arrayOf({i + 1}));
    objects.push_back(bytes({0x09}));  // true
    const auto result = parsePlist(binaryPlist(objects));
    ASSERT_TRUE(result.value.has_value()) << result.error;
}

TEST(PlistBinary, Utf16TextComesOutAsUtf8) {
    // "Ç" then a floppy disk emoji as a surrogate pair.
    const auto result = parsePlist(binaryPlist({arrayOf({1, 2}), bytes({0x63, 0x00, 0xC7, 0xD8, 0x3D, 0xDC, 0xBE}),
                                                bytes({0x61, 0xD8, 0x00})}));
    ASSERT_TRUE(result.value.has_value()) << result.error;
    EXPECT_EQ(result.value->asArray()->at(0).asString(), "Ç💾");
    // A lone surrogate must not come out as bytes that are not UTF-8.
    const auto lone = result.value->asArray()->at(1).asString();
    ASSERT_TRUE(lone.has_value());
    EXPECT_EQ(lone->find('\xED'), std::string::npos);
}

struct HostileCase {
    const char* name;
    std::string bytes;
};

std::vector<HostileCase> hostileBinaries() {
    std::vector<std::string> chain;
    for (std::uint32_t i = 0; i < 100000; ++i) chain.push_back(arrayOf({i + 1}));
    chain.push_back(bytes({0x09}));
    // Each level holds the next one twice: 2^40 values once expanded.
    std::vector<std::string> doubling;
    for (std::uint32_t i = 0; i < 40; ++i) doubling.push_back(arrayOf({i + 1, i + 1}));
    doubling.push_back(bytes({0x09}));
    std::string badTable = binaryPlist({arrayOf({})});
    badTable[badTable.size() - 1] = static_cast<char>(0x7F);
    std::string hugeCount = binaryPlist({bytes({0xAF, 0x13, 0x7F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF})});
    return {
        {"deep chain", binaryPlist(chain)},
        {"doubling expansion", binaryPlist(doubling)},
        {"cycle", binaryPlist({arrayOf({0})})},
        {"reference out of range", binaryPlist({arrayOf({5})})},
        {"offset table outside the file", badTable},
        {"array count beyond the file", hugeCount},
        {"truncated", binaryPlist({arrayOf({1}), bytes({0x09})}).substr(0, 30)},
    };
}

TEST(PlistBinary, HostileInputGivesAnError) {
    for (const auto& c : hostileBinaries()) {
        const auto result = parsePlist(c.bytes);
        EXPECT_FALSE(result.value.has_value()) << c.name;
        EXPECT_FALSE(result.error.empty()) << c.name;
    }
}

}  // namespace
}  // namespace velmora
