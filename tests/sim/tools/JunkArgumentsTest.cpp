#include <set>

#include "sim/state/ToolTree.h"
#include "tests/sim/tools/ToolTestSupport.h"

namespace velmora::sim::testing {
namespace {

class JunkArgumentsTest : public ToolFixture {};

// Every tool, fed argument lists no script would write: each answers with a
// status of its own (a thrown exception would surface as 70) and never waits
// longer than caffeinate's second.
TEST_F(JunkArgumentsTest, NoToolThrowsOrHangsOnOddArguments) {
    const std::vector<std::vector<std::string>> junk = {
        {},
        {""},
        {"-"},
        {"-p"},
        {"-n", "-1"},
        {"-l", "99999999999999999999999"},
        {"-x", "$(reboot)", "`id`"},
        {"\xff\xfe", "\n"},
        {std::string(5000, 'A')},
        {"-o", "remount,noatime", "/"},
        {"info", "-plist", "-plist", "-plist"},
        {"show", "--predicate", "((((("},
        {"kickstart", "-k", "system/"},
        {"-c", "2", "-w", "0", "disk99"},
        {"-d", "com.apple.quarantine"},
        {"-v+99999999999d"},
    };
    std::set<std::string> tools;
    for (const auto& link : ToolTree::links()) tools.insert(link.tool);
    for (const auto& tool : tools) {
        for (const auto& args : junk) {
            auto r = run(tool, args);
            EXPECT_FALSE(r.hangs) << tool;
            EXPECT_NE(r.exitStatus, 70) << tool << " threw: " << r.err;
            EXPECT_GE(r.exitStatus, 0) << tool;
            EXPECT_LE(r.exitStatus, 255) << tool;
        }
    }
    double slept = 0;
    for (double s : slept_) slept += s;
    EXPECT_LE(slept, 1.0 * static_cast<double>(junk.size()) + 1);
}

}  // namespace
}  // namespace velmora::sim::testing
