#include <gtest/gtest.h>
#include <plist/plist.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "PlistTestSupport.h"
#include "foundation/plist/PlistValue.h"

namespace velmora {
namespace {

using testing::readFileBytes;
using testing::samplePath;
using testing::xmlPlist;

const char* const kSataAdapter = "diskutil-info-plist_usb-sata-adapter_samsung-pm830_hst-imager.plist";

PlistValue parsedOrFail(const std::string& bytes) {
    auto result = parsePlist(bytes);
    EXPECT_TRUE(result.value.has_value()) << result.error;
    return result.value.value_or(PlistValue{});
}

TEST(PlistParse, EverySampleParsesToADictionary) {
    std::size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(testing::samplesFolder())) {
        if (entry.path().extension() != ".plist") continue;
        ++count;
        const auto result = parsePlist(readFileBytes(entry.path().string()));
        ASSERT_TRUE(result.value.has_value()) << entry.path() << ": " << result.error;
        EXPECT_NE(result.value->asDictionary(), nullptr) << entry.path();
    }
    EXPECT_GE(count, 7u);
}

TEST(PlistParse, DiskInfoKeysHaveTheirTypes) {
    const PlistValue info = parsedOrFail(readFileBytes(samplePath(kSataAdapter)));
    EXPECT_EQ(info.string("MediaName"), "SSD PM830 mSATA");
    EXPECT_EQ(info.string("VolumeName"), "");
    EXPECT_EQ(info.string("DeviceNode"), "/dev/disk2");
    EXPECT_EQ(info.integer("TotalSize"), 128035676160);
    EXPECT_EQ(info.boolean("Removable"), false);
    EXPECT_EQ(info.boolean("Internal"), false);
    EXPECT_EQ(info.string("MountPoint"), "");
    EXPECT_EQ(info.string("BusProtocol"), "USB");
    // Wrong type or missing reads as absent.
    EXPECT_EQ(info.integer("MediaName"), std::nullopt);
    EXPECT_EQ(info.boolean("TotalSize"), std::nullopt);
    EXPECT_EQ(info.string("Internal"), std::nullopt);
    EXPECT_EQ(info.string("NoSuchKey"), std::nullopt);
}

TEST(PlistParse, DiskListHasWholeDisksAsStrings) {
    const PlistValue list = parsedOrFail(readFileBytes(samplePath("diskutil-list-plist_intel-nvme_usb-sata-adapter_hst-imager.plist")));
    const auto wholeDisks = list.stringList("WholeDisks");
    ASSERT_TRUE(wholeDisks.has_value());
    EXPECT_NE(std::find(wholeDisks->begin(), wholeDisks->end(), "disk2"), wholeDisks->end());
    // AllDisksAndPartitions holds dictionaries, so it is no string list.
    EXPECT_EQ(list.stringList("AllDisksAndPartitions"), std::nullopt);
    ASSERT_NE(list.find("AllDisksAndPartitions"), nullptr);
    EXPECT_NE(list.find("AllDisksAndPartitions")->asArray(), nullptr);
}

TEST(PlistParse, ErrorOutputOfDiskutil) {
    const PlistValue error = parsedOrFail(readFileBytes(samplePath("diskutil-info-plist_error-could-not-find-disk_crystal.plist")));
    EXPECT_EQ(error.boolean("Error"), true);
    EXPECT_EQ(error.string("ErrorMessage"), "Could not find disk: /Volumes/SMB");
    EXPECT_EQ(error.integer("ExitCode"), 1);
    EXPECT_EQ(error.string("MediaName"), std::nullopt);
}

struct IntegerCase {
    const char* text;
    std::optional<std::int64_t> expected;  // absent: the whole parse fails
    bool unsignedOnly = false;             // the document reads, the key is no integer
};

TEST(PlistParse, IntegersAreExactOrAnError) {
    const std::vector<IntegerCase> cases = {
        {"0", 0},
        {"-1", -1},
        {"42", 42},
        {"+5", 5},
        {" 7 ", 7},
        {"0x10", 16},
        {"9223372036854775807", std::numeric_limits<std::int64_t>::max()},
        {"-9223372036854775808", std::numeric_limits<std::int64_t>::min()},
        {"9223372036854775808", std::nullopt, true},
        {"18446744073709551615", std::nullopt, true},
        {"0xFFFFFFFFFFFFFFFF", std::nullopt, true},
        {"18446744073709551616", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"-9223372036854775809", std::nullopt},
        {"-99999999999999999999", std::nullopt},
        {"0x10000000000000000", std::nullopt},
        {"010", std::nullopt},
        {"12abc", std::nullopt},
        {"", std::nullopt},
        {"-", std::nullopt},
        {"1<!-- c -->2", std::nullopt},
    };
    for (const auto& c : cases) {
        const auto result = parsePlist(xmlPlist(std::string("<dict><key>n</key><integer>") + c.text + "</integer></dict>"));
        if (c.expected || c.unsignedOnly) {
            ASSERT_TRUE(result.value.has_value()) << c.text << ": " << result.error;
            EXPECT_EQ(result.value->integer("n"), c.expected) << c.text;
        } else {
            EXPECT_FALSE(result.value.has_value()) << c.text;
            EXPECT_FALSE(result.error.empty()) << c.text;
        }
    }
    EXPECT_FALSE(parsePlist(xmlPlist("<array><integer/></array>")).value.has_value());
}

TEST(PlistParse, AnUnsignedIntegerSpoilsOnlyItsOwnKey) {
    std::string sample = readFileBytes(samplePath(kSataAdapter));
    const std::string key = "<key>TotalSize</key>\n\t<integer>128035676160</integer>";
    ASSERT_NE(sample.find(key), std::string::npos);
    sample.replace(sample.find(key), key.size(), "<key>TotalSize</key>\n\t<integer>18446744073709551615</integer>");

    const PlistValue info = parsedOrFail(sample);
    EXPECT_EQ(info.integer("TotalSize").value_or(0), 0);
    EXPECT_EQ(info.integer("Size"), 128035676160);
    EXPECT_EQ(info.string("MediaName"), "SSD PM830 mSATA");
    // Written back, the value is kept as it was.
    EXPECT_EQ(parsedOrFail(toXmlPlist(info)), info);
    EXPECT_NE(toXmlPlist(info).find("<integer>18446744073709551615</integer>"), std::string::npos);
}

TEST(PlistParse, DatesCountFromTheUnixEpoch) {
    const PlistValue value = parsedOrFail(xmlPlist(
        "<array><date>2024-05-01T10:20:30Z</date><date>1950-06-01T12:00:00Z</date>"
        "<date>2069-01-19T03:14:07Z</date></array>"));
    const auto* dates = value.asArray();
    ASSERT_NE(dates, nullptr);
    ASSERT_EQ(dates->size(), 3u);
    EXPECT_EQ(secondsSinceEpoch(*(*dates)[0].asDate()), 1714558830.0);
    EXPECT_EQ(secondsSinceEpoch(*(*dates)[1].asDate()), -618062400.0);
    EXPECT_EQ(secondsSinceEpoch(*(*dates)[2].asDate()), 3125790847.0);
    // Unreadable or too far out for the 32-bit store: an error, never 1970.
    for (const char* bad : {"bogus", "2069-01-19T03:14:08Z", "2024-13-01T00:00:00Z", "2024-05-01"}) {
        EXPECT_FALSE(parsePlist(xmlPlist(std::string("<array><date>") + bad + "</date></array>")).value.has_value()) << bad;
    }
}

std::string nested(const std::string& open, const std::string& close, std::size_t levels, const std::string& inner) {
    std::string text;
    text.reserve(levels * (open.size() + close.size()) + inner.size());
    for (std::size_t i = 0; i < levels; ++i) text += open;
    text += inner;
    for (std::size_t i = 0; i < levels; ++i) text += close;
    return text;
}

TEST(PlistParse, ModerateNestingIsFine) {
    const auto result = parsePlist(xmlPlist(nested("<array>", "</array>", 200, "<integer>1</integer>")));
    ASSERT_TRUE(result.value.has_value()) << result.error;
    const PlistValue* level = &*result.value;
    for (int i = 0; i < 199; ++i) level = &level->asArray()->front();
    EXPECT_EQ(level->asArray()->front().asInteger(), 1);
}

struct HostileCase {
    std::string name;
    std::string bytes;
};

std::vector<HostileCase> hostileInputs() {
    const std::string sample = readFileBytes(samplePath(kSataAdapter));
    std::string nul = xmlPlist("<array><string>a</string></array>");
    nul.insert(nul.find(">a<") + 2, 1, '\0');
    return {
        {"empty", ""},
        {"garbage", "\x01\x02 this is not a property list \xff"},
        {"text only", "hello"},
        {"truncated sample", sample.substr(0, sample.size() / 2)},
        {"deep arrays", xmlPlist(nested("<array>", "</array>", 100000, ""))},
        {"deep dictionaries", xmlPlist(nested("<dict><key>k</key>", "</dict>", 100000, "<true/>"))},
        {"deep unclosed", xmlPlist(nested("<array>", "", 100000, ""))},
        {"stray closers before deep nesting",
         xmlPlist(nested("", "</array>", 5000, "") + nested("<array>", "</array>", 5000, ""))},
        {"closer hidden in comment",
         xmlPlist(nested("<array><!-- </array> -->", "</array>", 400, ""))},
        {"closer hidden in attribute", xmlPlist(nested("<array x=\"</array>\">", "</array>", 400, ""))},
        {"closer in single-quoted attribute", xmlPlist(nested("<array x='</array>'>", "</array>", 400, ""))},
        {"unterminated comment", xmlPlist("<array><!-- </array>")},
        {"doctype internal subset", "<!DOCTYPE x [ </array> ]>" + xmlPlist("<array/>")},
        {"invalid UTF-8 string", xmlPlist("<array><string>\xff\xfe</string></array>")},
        {"invalid UTF-8 key", xmlPlist("<dict><key>a\xc3</key><true/></dict>")},
        {"overlong UTF-8", xmlPlist("<array><string>\xc0\xaf</string></array>")},
        {"surrogate via reference", xmlPlist("<array><string>&#xD800;</string></array>")},
        {"NUL inside a string", nul},
        {"unknown entity", xmlPlist("<array><string>&bogus;</string></array>")},
        {"mismatched closer", xmlPlist("<array><true/></dict>")},
        {"bplist header only", "bplist00"},
    };
}

TEST(PlistParse, HostileInputGivesAnError) {
    for (const auto& c : hostileInputs()) {
        const auto result = parsePlist(c.bytes);
        EXPECT_FALSE(result.value.has_value()) << c.name;
        EXPECT_FALSE(result.error.empty()) << c.name;
    }
}

TEST(PlistParse, EveryPrefixOfASampleIsAnErrorOrTheWholeValue) {
    const std::string sample = readFileBytes(samplePath(kSataAdapter));
    const PlistValue whole = parsedOrFail(sample);
    for (std::size_t length = 0; length < sample.size(); ++length) {
        const auto result = parsePlist(std::string_view(sample).substr(0, length));
        if (result.value) {
            EXPECT_EQ(*result.value, whole) << "prefix of " << length << " bytes";
        }
    }
}

TEST(PlistParse, SingleQuotedAttributesAreAccepted) {
    const auto result = parsePlist("<?xml version='1.0' encoding='UTF-8'?>\n<plist version='1.0'><dict><key>a</key><true/></dict></plist>");
    ASSERT_TRUE(result.value.has_value()) << result.error;
    EXPECT_EQ(result.value->boolean("a"), true);
}

TEST(PlistParse, UnicodeTextIsKept) {
    const PlistValue value = parsedOrFail(xmlPlist(
        "<dict><key>ad</key><string>Çalışma Diski 💾</string><key>ref</key><string>&#x1F600;&amp;&lt;</string></dict>"));
    EXPECT_EQ(value.string("ad"), "Çalışma Diski 💾");
    EXPECT_EQ(value.string("ref"), "😀&<");
}

}  // namespace
}  // namespace velmora
