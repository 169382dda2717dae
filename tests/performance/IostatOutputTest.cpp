#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "performance/IostatOutput.h"
#include "support/BuildPaths.h"

namespace velmora {
namespace {

// `iostat -d 1 1` on a Mac with three disks, in the layout of the real
// two-disk capture beside this test: disk names right-aligned over their
// groups, then "KB/t tps MB/s" per disk, then one data line.
const char* const kThreeDisks =
    "              disk0               disk4               disk6\n"
    "    KB/t  tps  MB/s     KB/t  tps  MB/s     KB/t  tps  MB/s\n"
    "   20.39  174  3.47    52.55    1  0.04    64.00 1600 100.00\n";

TEST(IostatOutput, ReadsTheThroughputOfTheDiskBeingOptimized) {
    struct Case {
        std::string text;
        std::string disk;
        double megabytesPerSecond;
    };
    std::ifstream in(velmora::testing::sourcePath("tests/performance/data/iostat-c2-w1_two-disks_go-test-capture.txt"));
    std::stringstream real;
    real << in.rdbuf();
    ASSERT_FALSE(real.str().empty()) << "the iostat capture is missing";
    const std::vector<Case> cases = {
        {kThreeDisks, "disk4", 0.04},
        {kThreeDisks, "disk6", 100.0},
        {kThreeDisks, "disk0", 3.47},
        {kThreeDisks, "disk9", 3.47},  // not in the header: the first group
        {real.str(), "disk4", 0.04},   // cpu and load columns after the groups change nothing
        {"              disk0\n    KB/t  tps  MB/s\n", "disk0", 0},             // no data line
        {"              disk0\n", "disk0", 0},
        {"", "disk0", 0},
        {"   disk0   disk4\n KB/t tps MB/s KB/t tps MB/s\n 1.0 2 3.0\n", "disk4", 0},  // group cut short
        {"   disk0\n KB/t tps MB/s\n 1.0 2 fast\n", "disk0", 0},                      // not a number
    };
    for (const auto& c : cases) {
        const PerformanceMetrics m = parseIostatOutput(c.text, c.disk);
        EXPECT_DOUBLE_EQ(m.readSpeed, c.megabytesPerSecond) << c.disk << " in\n" << c.text;
        EXPECT_DOUBLE_EQ(m.writeSpeed, c.megabytesPerSecond);
        EXPECT_EQ(m.latency, 0);
        EXPECT_EQ(m.iops, 0);
        EXPECT_EQ(m.utilization, 0) << "macOS does not report it";
    }
}

}  // namespace
}  // namespace velmora
