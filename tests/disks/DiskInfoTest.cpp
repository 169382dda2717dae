#include "disks/DiskInfo.h"

#include <gtest/gtest.h>

#include <unordered_set>

namespace velmora {
namespace {

const Date seen = dateFromSeconds(1767225600.0);

DiskInfo make(std::string name, std::string path, bool external, bool removable, std::optional<std::string> mount) {
    return DiskInfo("disk9", std::move(name), std::move(path), 1, external, removable, std::move(mount), "APFS", false,
                    seen);
}

TEST(DiskInfo, AppleInternalRuleAndItsSubstringQuirks) {
    struct Case {
        const char* label;
        std::string name, path;
        bool external, removable;
        std::optional<std::string> mount;
        bool expected;
    };
    const Case cases[] = {
        {"external never", "APPLE SSD AP0512", "/dev/disk0", true, false, "/", false},
        {"removable never", "Apple SSD", "/dev/disk0", false, true, "/", false},
        {"upper-case name", "APPLE SSD AP0512Q", "/dev/disk7", false, false, std::nullopt, true},
        {"mixed-case name", "Apple SSD Media", "/dev/disk7", false, false, std::nullopt, true},
        {"other case does not count", "apple ssd", "/dev/disk7", false, false, std::nullopt, false},
        {"disk0", "Data", "/dev/disk0", false, false, std::nullopt, true},
        {"disk12 matches disk1", "Data", "/dev/disk12", false, false, std::nullopt, true},
        {"disk3 no mount", "Data", "/dev/disk3", false, false, std::nullopt, false},
        {"root mount", "Data", "/dev/disk3", false, false, "/", true},
        {"system mount", "Data", "/dev/disk3", false, false, "/System/Volumes/Data", true},
        {"private mount", "Data", "/dev/disk3", false, false, "/private/var/vm", true},
        {"plain volume", "Data", "/dev/disk3", false, false, "/Volumes/Data", false},
        {"empty mount", "Data", "/dev/disk3", false, false, "", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(make(c.name, c.path, c.external, c.removable, c.mount).isAppleInternal, c.expected) << c.label;
    }
}

TEST(DiskInfo, ConstructorFillsConnectionFieldsAndEqualityCoversLastSeen) {
    const DiskInfo a = make("USB", "/dev/disk4", true, true, "/Volumes/USB");
    EXPECT_TRUE(a.isConnected);
    EXPECT_EQ(a.lastSeen, seen);
    DiskInfo b = a;
    EXPECT_EQ(a, b);
    EXPECT_EQ(std::hash<DiskInfo>{}(a), std::hash<DiskInfo>{}(b));

    DiskInfo later("disk9", "USB", "/dev/disk4", 1, true, true, "/Volumes/USB", "APFS", false, addSeconds(seen, 5.0));
    EXPECT_NE(a, later);
    b.isMarkedAsInternal = true;
    EXPECT_NE(a, b);

    std::unordered_set<DiskInfo> set{a, b, later};
    EXPECT_EQ(set.size(), 3u);
}

}  // namespace
}  // namespace velmora
