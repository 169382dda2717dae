#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <sstream>

#include "performance/IostatOutput.h"
#include "support/BuildPaths.h"

namespace velmora {
namespace {

// `iostat -d -c 2 -w 1` on a Mac with three disks, in the layout of the real
// two-disk capture beside this test: disk names right-aligned over their
// groups, then "KB/t tps MB/s" per disk, then the report since boot and the
// live one.
const char* const kThreeDisks =
    "              disk0               disk4               disk6\n"
    "    KB/t  tps  MB/s     KB/t  tps  MB/s     KB/t  tps  MB/s\n"
    "   20.39  174  3.47    52.55    1  0.04    64.00 1600 100.00\n"
    "   10.91  116  1.24    64.00  320 20.00     0.00    0  0.00\n";

TEST(IostatOutput, ReadsTheLiveThroughputOfTheDiskBeingOptimizedOnly) {
    struct Case {
        std::string text;
        std::string disk;
        std::optional<double> megabytesPerSecond;
    };
    std::ifstream in(velmora::testing::sourcePath("tests/performance/data/iostat-c2-w1_two-disks_go-test-capture.txt"));
    std::stringstream real;
    real << in.rdbuf();
    ASSERT_FALSE(real.str().empty()) << "the iostat capture is missing";
    const std::string sinceBootOnly = "              disk0\n    KB/t  tps  MB/s\n   20.39  174  3.47\n";
    const std::vector<Case> cases = {
        {kThreeDisks, "disk4", 20.0},
        {kThreeDisks, "disk6", 0.0},
        {kThreeDisks, "disk0", 1.24},
        {kThreeDisks, "disk9", std::nullopt},  // not shown: no other disk's figure
        {kThreeDisks, "disk", std::nullopt},
        {real.str(), "disk0", 1.24},  // cpu and load columns after the groups change nothing
        {real.str(), "disk4", 0.0},
        {sinceBootOnly, "disk0", std::nullopt},  // the average since boot is not a current figure
        {"              disk0\n    KB/t  tps  MB/s\n", "disk0", std::nullopt},
        {"", "disk0", std::nullopt},
        {"   disk0   disk4\n KB/t tps MB/s KB/t tps MB/s\n 1.0 2 3.0 1.0 2 3.0\n 1.0 2 3.0\n", "disk4",
         std::nullopt},  // group cut short
        {"   disk0\n KB/t tps MB/s\n 1.0 2 3.0\n 1.0 2 fast\n", "disk0", std::nullopt},  // not a number
    };
    for (const auto& c : cases) {
        const auto m = parseIostatOutput(c.text, c.disk);
        ASSERT_EQ(m.has_value(), c.megabytesPerSecond.has_value()) << c.disk << " in\n" << c.text;
        if (!m) continue;
        EXPECT_DOUBLE_EQ(m->readSpeed, *c.megabytesPerSecond) << c.disk << " in\n" << c.text;
        EXPECT_DOUBLE_EQ(m->writeSpeed, *c.megabytesPerSecond);
        EXPECT_EQ(m->latency, 0);
        EXPECT_EQ(m->iops, 0);
        EXPECT_EQ(m->utilization, 0) << "macOS does not report it";
    }
}

}  // namespace
}  // namespace velmora
