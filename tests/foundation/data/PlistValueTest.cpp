#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "foundation/plist/PlistValue.h"

namespace velmora {
namespace {

TEST(PlistValue, AccessorsNeverConvertBetweenTypes) {
    const PlistValue dictionary(PlistDictionary{
        {"flag", true},
        {"one", 1},
        {"zero", 0},
        {"real", 2.0},
        {"text", "1"},
        {"names", PlistArray{"a", "b"}},
        {"mixed", PlistArray{"a", 1}},
        {"empty", PlistArray{}},
    });
    EXPECT_EQ(dictionary.boolean("flag"), true);
    EXPECT_EQ(dictionary.integer("flag"), std::nullopt);
    EXPECT_EQ(dictionary.boolean("one"), std::nullopt);
    EXPECT_EQ(dictionary.boolean("zero"), std::nullopt);
    EXPECT_EQ(dictionary.integer("real"), std::nullopt);
    EXPECT_EQ(dictionary.find("one")->asReal(), std::nullopt);
    EXPECT_EQ(dictionary.integer("text"), std::nullopt);
    EXPECT_EQ(dictionary.string("one"), std::nullopt);
    EXPECT_EQ(dictionary.stringList("names"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(dictionary.stringList("mixed"), std::nullopt);
    EXPECT_EQ(dictionary.stringList("empty"), std::vector<std::string>{});
    EXPECT_EQ(dictionary.stringList("text"), std::nullopt);

    const PlistValue notADictionary(PlistArray{"flag"});
    EXPECT_EQ(notADictionary.find("flag"), nullptr);
    EXPECT_EQ(notADictionary.boolean("flag"), std::nullopt);
}

TEST(PlistValue, EqualityLooksAtTypeAndValue) {
    EXPECT_EQ(PlistValue(1), PlistValue(std::int64_t{1}));
    EXPECT_NE(PlistValue(1), PlistValue(true));
    EXPECT_NE(PlistValue(1), PlistValue(1.0));
    EXPECT_EQ(PlistValue(std::nan("")), PlistValue(std::nan("")));
    EXPECT_EQ(PlistValue(PlistData{"ab"}), PlistValue(PlistData{"ab"}));
    EXPECT_NE(PlistValue(PlistData{"ab"}), PlistValue("ab"));
    EXPECT_NE(PlistValue(PlistDictionary{{"a", 1}}), PlistValue(PlistDictionary{{"a", 2}}));
}

TEST(PlistValue, XmlTextReadsBackEqual) {
    const PlistValue value(PlistDictionary{
        {"int64 minimum", std::numeric_limits<std::int64_t>::min()},
        {"int64 maximum", std::numeric_limits<std::int64_t>::max()},
        {"negative", -5},
        {"markup", "a < b && c > d ]]> \"quoted\" 'single'"},
        {"controls", std::string("tab\tline\nreturn\rbell\x07")},
        {"turkish", "Ayarlar dosyası bozuk ⚠️"},
        {"empty string", ""},
        {"reals", PlistArray{0.1, -2.5e-300, 1e308, std::nan(""), std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity()}},
        {"flags", PlistArray{true, false}},
        {"dates", PlistArray{dateFromSeconds(1714558830), dateFromSeconds(-618062400), dateFromSeconds(0)}},
        {"data", PlistArray{PlistData{""}, PlistData{"a"}, PlistData{"ab"}, PlistData{"abc"},
                            PlistData{std::string("\0\xff\x10", 3)}}},
        {"nested", PlistArray{PlistDictionary{}, PlistArray{}, PlistArray{PlistDictionary{{"k", "v"}}}}},
        {"key with & and <", 1},
    });
    const std::string xml = toXmlPlist(value);
    EXPECT_NE(xml.find("<plist version=\"1.0\">"), std::string::npos);
    const auto back = parsePlist(xml);
    ASSERT_TRUE(back.value.has_value()) << back.error << "\n" << xml;
    EXPECT_EQ(*back.value, value) << xml;
}

TEST(PlistValue, DatesAreWrittenInWholeUtcSeconds) {
    const std::string xml = toXmlPlist(PlistValue(dateFromSeconds(1714558830.75)));
    EXPECT_NE(xml.find("<date>2024-05-01T10:20:30Z</date>"), std::string::npos) << xml;
    const std::string before = toXmlPlist(PlistValue(dateFromSeconds(-0.5)));
    EXPECT_NE(before.find("<date>1969-12-31T23:59:59Z</date>"), std::string::npos) << before;
    // Beyond what a property-list date can hold: the nearest one that reads back.
    const auto late = parsePlist(toXmlPlist(PlistValue(PlistArray{dateFromSeconds(4102444800.0)})));  // 2100
    ASSERT_TRUE(late.value.has_value()) << late.error;
    EXPECT_EQ(late.value->asArray()->front().asDate(), dateFromSeconds(3125790847.0));  // 2069-01-19T03:14:07Z
}

}  // namespace
}  // namespace velmora
