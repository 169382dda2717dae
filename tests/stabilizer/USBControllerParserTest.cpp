#include "stabilizer/USBControllerParser.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "foundation/diagnostics/Diagnostics.h"
#include "support/BuildPaths.h"

namespace velmora {
namespace {

const Date kNow = dateFromSeconds(1767225600.0);

std::string sample(const std::string& name) {
    std::ifstream in(testing::sourcePath("tests/data/samples/" + name));
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// What `grep -E "USB Product Name|idVendor|idProduct|CurrentPowerState|DeviceAddress" | paste - - - - -`
// makes of a device-tree listing.
std::string joinedListing(const std::string& tree) {
    std::vector<std::string> matching;
    std::istringstream lines(tree);
    for (std::string line; std::getline(lines, line);) {
        for (const char* word : {"USB Product Name", "idVendor", "idProduct", "CurrentPowerState", "DeviceAddress"}) {
            if (line.find(word) != std::string::npos) {
                matching.push_back(line);
                break;
            }
        }
    }
    std::string joined;
    for (std::size_t i = 0; i < matching.size(); i += 5) {
        for (std::size_t j = 0; j < 5; ++j) {
            if (j > 0) joined += '\t';
            if (i + j < matching.size()) joined += matching[i + j];
        }
        joined += '\n';
    }
    return joined;
}

std::vector<USBControllerInfo> parse(std::string_view output, CapturingDiagnostics* log = nullptr) {
    CapturingDiagnostics local;
    return USBControllerParser::parseUSBControllerOutput(output, kNow, log ? *log : local);
}

TEST(USBControllerParser, RealListingsAreNamedByTheirProductNameValue) {
    // Real ioreg puts a property key first on every joined line; the name must
    // still be the product name, not that key.
    struct Case {
        const char* file;
        const char* deviceName;
        const char* vendorID;
        const char* productID;
        long long powerState;
    };
    const Case cases[] = {
        {"ioreg-p-IOUSB-l_device-block_m1pro_espressif.txt", "USB JTAG_serial debug unit", "idVendor\" = 12346", "idProduct\" = 4097", 2},
        {"ioreg-b-p-IOUSB-n_device-properties_m1_cynthion.txt", "Simple USB Device", "idVendor\" = 4617", "idProduct\" = 1", 2},
        {"ioreg-p-IOUSB-l_partial-block_usb3-card-reader-mass-storage_libusb-issue958.txt", "USB3.0 Card Reader",
         "idVendor\" = 1507", "Unknown", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        std::string tree = sample(c.file);
        ASSERT_FALSE(tree.empty());
        auto controllers = parse(joinedListing(tree));
        ASSERT_EQ(controllers.size(), 1u);
        const auto& info = controllers[0];
        EXPECT_EQ(info.deviceName, c.deviceName);
        EXPECT_EQ(info.controllerType, "GENERIC");
        EXPECT_FALSE(info.hasKnownIssues);
        EXPECT_FALSE(info.solution.has_value());
        EXPECT_EQ(info.vendorID, c.vendorID);
        EXPECT_EQ(info.productID, c.productID);
        EXPECT_EQ(info.powerState, c.powerState);
        EXPECT_EQ(info.diskPath, "/dev/disk?");
        EXPECT_EQ(info.lastActivity, kNow);
    }
}

TEST(USBControllerParser, JoinedLinesThatStraddleDevicesGiveOneRecordPerDevice) {
    // Four matching properties per device (modern ioreg) or five (with
    // DeviceAddress): the five-line joins then split devices at every place,
    // and with four or more devices one joined line holds two product names.
    for (bool withAddress : {false, true}) {
        for (int count : {1, 2, 4, 5, 7}) {
            SCOPED_TRACE(::testing::Message() << count << " devices, address lines " << withAddress);
            std::string tree;
            std::vector<std::string> names;
            for (int d = 0; d < count; ++d) {
                names.push_back(d % 2 ? "RTL9210B-CG" : "Hub " + std::to_string(d));
                tree += "    | |   \"idProduct\" = " + std::to_string(100 + d) + "\n";
                tree += "    | |   \"IOPowerManagement\" = {\"CurrentPowerState\"=" + std::to_string(d % 3) + "}\n";
                if (withAddress) tree += "    | |   \"DeviceAddress\" = " + std::to_string(d + 1) + "\n";
                tree += "    | |   \"USB Product Name\" = \"" + names.back() + "\"\n";
                tree += "    | |   \"idVendor\" = " + std::to_string(3000 + d) + "\n";
            }
            auto controllers = parse(joinedListing(tree));
            ASSERT_EQ(controllers.size(), names.size());
            for (int d = 0; d < count; ++d) {
                EXPECT_EQ(controllers[d].deviceName, names[d]);
                EXPECT_EQ(controllers[d].vendorID, "idVendor\" = " + std::to_string(3000 + d));
                EXPECT_EQ(controllers[d].productID, "idProduct\" = " + std::to_string(100 + d));
                EXPECT_EQ(controllers[d].powerState, d % 3);
            }
        }
    }
}

TEST(USBControllerParser, UnjoinedTreeGivesOneRecordPerProductNameLine) {
    auto controllers = parse(sample("ioreg-p-IOUSB-l_device-block_m1pro_espressif.txt"));
    ASSERT_EQ(controllers.size(), 1u);
    EXPECT_EQ(controllers[0].deviceName, "USB JTAG_serial debug unit");
    EXPECT_EQ(controllers[0].vendorID, "Unknown");
}

TEST(USBControllerParser, KnownChipsGetTheirRowAndAreLogged) {
    CapturingDiagnostics log;
    auto controllers = parse(
        "\"Realtek RTL9210B-CG NVMe\" = 1\t\"idVendor\" = 3034\t\"idProduct\" = 37312\t"
        "\"IOPowerManagement\" = {\"CurrentPowerState\"=2}\n"
        "\"SanDisk\" \"USB Product Name\"\n"
        "\"ASMEDIA bridge\" \"USB Product Name\"\n"
        "\"RTL9210\" no product name here\n",
        &log);
    // The first line has no "USB Product Name"; it is skipped although it names a chip.
    ASSERT_EQ(controllers.size(), 2u);
    EXPECT_EQ(controllers[0].deviceName, "SanDisk");
    EXPECT_FALSE(controllers[0].hasKnownIssues);
    EXPECT_EQ(controllers[1].controllerType, "ASM1153E");
    ASSERT_TRUE(controllers[1].solution.has_value());
    EXPECT_EQ(controllers[1].solution->name, "ASMedia ASM1153E");
    EXPECT_EQ(controllers[1].solution->keepAliveInterval, 60.0);
    EXPECT_EQ(controllers[1].solution->specialHandling, USBControllerSpecialHandling::asmediaGeneric);
    EXPECT_EQ(log.lines(), std::vector<std::string>{"🎯 Detected problematic controller: ASMEDIA bridge (ASM1153E)"});
}

TEST(USBControllerParser, TheProductNameValueWinsOverEarlierQuotedWords) {
    auto controllers = parse(
        "  | |     \"idProduct\" = 37392\t  | |     \"IOPowerManagement\" = {\"CurrentPowerState\"=2}\t"
        "  | |     \"USB Product Name\" = \"RTL9210B-CG\"\t  | |     \"idVendor\" = 3034\n"
        "\"USB Product Name\" = \"unterminated\n");
    ASSERT_EQ(controllers.size(), 2u);
    EXPECT_EQ(controllers[0].deviceName, "RTL9210B-CG");
    EXPECT_EQ(controllers[0].controllerType, "RTL9210B-CG");
    EXPECT_TRUE(controllers[0].hasKnownIssues);
    EXPECT_EQ(controllers[1].deviceName, "unterminated");
}

TEST(USBControllerParser, ControllerTypeTriesTheLongRealtekKeyFirst) {
    const std::pair<const char*, const char*> cases[] = {
        {"RTL9210B-CG", "RTL9210B-CG"},
        {"Realtek RTL9210B-CG bridge", "RTL9210B-CG"},
        {"RTL9210", "RTL9210"},
        {"RTL9210B", "RTL9210"},
        {"JMS567 with ASM1153E", "ASM1153E"},  // table order
        {"JMS567", "JMS567"},
        {"REALTEK storage", "RTL9210"},
        {"aSmEdIa", "ASM1153E"},
        {"jmicron", "JMS567"},
        {"rtl9210b-cg", "GENERIC"},  // keys are case-sensitive, maker words are not
        {"SanDisk Cruzer", "GENERIC"},
        {"", "GENERIC"},
    };
    for (const auto& [name, type] : cases) {
        EXPECT_EQ(USBControllerParser::extractControllerType(name), type) << name;
    }
}

TEST(USBControllerParser, ExtractorsReturnTheWholeMatch) {
    struct Case {
        const char* line;
        const char* vendor;
        const char* product;
        long long power;
    };
    const Case cases[] = {
        {"\"idVendor\" = 3034\t\"idProduct\" = 37312", "idVendor\" = 3034", "idProduct\" = 37312", 0},
        {"\"idVendor\" = 0x0bda", "idVendor\" = 0", "Unknown", 0},
        {"idVendor=ff idProduct=AbC9z", "idVendor=ff", "idProduct=AbC9", 0},
        {"idVendoridVendor 5", "idVendorid", "Unknown", 0},  // "d" is already a hex digit
        {"\"CurrentPowerState\"=2,\"x\"=7", "Unknown", "Unknown", 2},
        {"\"CurrentPowerState\" = 2", "Unknown", "Unknown", 0},  // " 2" is not parsed without trimming
        {"\"CurrentPowerState\"=-3", "Unknown", "Unknown", -3},
        {"\"CurrentPowerState\"=+4", "Unknown", "Unknown", 4},
        {"\"CurrentPowerState\"=x4", "Unknown", "Unknown", 0},
        {"CurrentPowerState 7", "Unknown", "Unknown", 0},  // no "=": the whole match does not parse
        {"\"CurrentPowerState\"=99999999999999999999", "Unknown", "Unknown", 0},
        {"CurrentPowerState\"=$", "Unknown", "Unknown", 0},
        {"no properties", "Unknown", "Unknown", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(USBControllerParser::extractVendorID(c.line), c.vendor);
        EXPECT_EQ(USBControllerParser::extractProductID(c.line), c.product);
        EXPECT_EQ(USBControllerParser::extractPowerState(c.line), c.power);
    }
}

// The hand-written scans must agree with the patterns they replace.
TEST(USBControllerParser, ScansAgreeWithTheRegularExpressions) {
    const std::regex vendor("idVendor.*?([0-9a-fA-F]+)");
    const std::regex product("idProduct.*?([0-9a-fA-F]+)");
    const std::regex power("CurrentPowerState.*?([0-9]+)");
    const std::vector<std::string> lines = {
        "idVendor",          "idVendor\r1",          "idVendor x\rab idVendor 7", "idVendor\n\nidVendor z9",
        "xx idVendor = g1",  "idVendor = xyz",       "idProduct=\"\"=10",         "idProductidProduct",
        "CurrentPowerState", "CurrentPowerState\r5", "a CurrentPowerState b\r CurrentPowerState=5",
        "CurrentPowerState=1=2", "idVendor=é1",     "\tidVendor\t= cafe\t",
    };
    auto expected = [](const std::string& line, const std::regex& pattern) -> std::optional<std::string> {
        std::smatch match;
        if (!std::regex_search(line, match, pattern)) return std::nullopt;
        return match.str(0);
    };
    for (const auto& line : lines) {
        SCOPED_TRACE(line);
        EXPECT_EQ(USBControllerParser::extractVendorID(line), expected(line, vendor).value_or("Unknown"));
        EXPECT_EQ(USBControllerParser::extractProductID(line), expected(line, product).value_or("Unknown"));
        auto powerMatch = expected(line, power);
        if (!powerMatch) {
            EXPECT_EQ(USBControllerParser::extractPowerState(line), 0);
        }
    }
}

TEST(USBControllerParser, NameIsBetweenTheFirstTwoQuotesOrRunsToTheEnd) {
    auto controllers = parse(
        "USB Product Name without quotes\n"
        "USB Product Name then \"JMicron tail with no closing quote\n"
        "\"\" USB Product Name\n");
    ASSERT_EQ(controllers.size(), 2u);
    EXPECT_EQ(controllers[0].deviceName, "JMicron tail with no closing quote");
    EXPECT_EQ(controllers[0].controllerType, "JMS567");
    EXPECT_EQ(controllers[1].deviceName, "");
}

TEST(USBControllerParser, EveryNewlineCharacterSeparatesLines) {
    std::string output = "\"A\" USB Product Name\r\n\"B\" USB Product Name\v\"C\" USB Product Name\f"
                         "\"D\" USB Product Name\xC2\x85\"E\" USB Product Name\xE2\x80\xA8\"F\" USB Product Name"
                         "\xE2\x80\xA9\"G\" USB Product Name";
    auto controllers = parse(output);
    std::vector<std::string> names;
    for (const auto& c : controllers) names.push_back(c.deviceName);
    EXPECT_EQ(names, (std::vector<std::string>{"A", "B", "C", "D", "E", "F", "G"}));
}

TEST(USBControllerParser, HostileInputNeverCrashes) {
    const std::string megabyte(1 << 20, 'a');
    const std::vector<std::string> inputs = {
        "",
        "\"",
        "USB Product Name\"",
        std::string("USB Product Name\0\"x\0y\"", 23),
        "\xff\xfe\"\x80USB Product Name",
        "USB Product Name \"" + megabyte,
        "USB Product Name \"x\" idVendor" + std::string(1 << 20, '=') + "CurrentPowerState" + megabyte,
        [] {
            std::string repeated;
            for (int i = 0; i < 50000; ++i) repeated += "idVendorCurrentPowerState\r";
            return "\"x\" USB Product Name " + repeated;
        }(),
        std::string(1 << 16, '\n'),
    };
    for (const auto& input : inputs) {
        auto controllers = parse(input);
        for (const auto& c : controllers) EXPECT_LE(c.deviceName.size(), input.size());
    }
}

}  // namespace
}  // namespace velmora
