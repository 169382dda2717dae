// Sharing identical queries changes how often the tools run, never what the
// program publishes: the same fault-free life, with and without sharing,
// publishes the same disk lists, notifications and diagnostic lines in the
// same order.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "sim/life/LifeRun.h"
#include "support/BuildPaths.h"

namespace velmora::life {
namespace {

struct Lived {
    int status = -1;
    long toolRuns = 0;
    std::vector<std::string> published;
};

Lived live(bool shared) {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("velmora-life-shared-" + std::to_string(::getpid()));
    Lived lived;
    std::ostringstream report;
    LifeOptions options;
    options.dir = dir.string();
    options.seed = 11;
    options.hours = 0.1;
    options.faults = {"none"};
    options.toolBinary = testing::simToolProgram();
    options.scenarioFolder = testing::sourcePath("sim/scenarios");
    options.sharedQueries = shared;
    options.published = &lived.published;
    options.report = &report;
    {
        LifeRun run(options);
        lived.status = run.run();
        lived.toolRuns = run.figures().toolRuns;
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
    if (lived.status != 0) ADD_FAILURE() << report.str();
    return lived;
}

// What a person or a reader of the output sees, apart from when: each
// monitor's disk list as it changed, the notifications in order, and the
// diagnostic lines. Fewer tool runs take less (virtual) time, so a change
// may show one check sooner; and the diagnostic lines come from several
// queues at once, whose order between them the threads decide, so those are
// compared as a sorted list.
struct Seen {
    std::map<std::string, std::vector<std::string>> diskLists;  // by monitor
    std::vector<std::string> notifications;
    std::vector<std::string> diagnostics;
};

Seen seen(const std::vector<std::string>& published) {
    Seen result;
    for (const auto& line : published) {
        if (line.rfind("disks of ", 0) == 0) {
            const auto colon = line.find(':');
            auto& lists = result.diskLists[line.substr(0, colon)];
            if (lists.empty() || lists.back() != line) lists.push_back(line);
        } else if (line.rfind("notification: ", 0) == 0) {
            result.notifications.push_back(line);
        } else {
            result.diagnostics.push_back(line);
        }
    }
    std::sort(result.diagnostics.begin(), result.diagnostics.end());
    return result;
}

TEST(SharedQueriesLife, WithAndWithoutSharingTheProgramPublishesTheSame) {
    if (testing::simToolProgram().empty()) GTEST_SKIP() << "the stand-in tools are not built";
    const Lived unshared = live(false);
    const Lived shared = live(true);
    ASSERT_EQ(unshared.status, 0);
    ASSERT_EQ(shared.status, 0);
    ASSERT_FALSE(unshared.published.empty());
    EXPECT_LT(shared.toolRuns, unshared.toolRuns) << "sharing saved no run at all";
    const Seen withSharing = seen(shared.published);
    const Seen without = seen(unshared.published);
    EXPECT_EQ(withSharing.diskLists, without.diskLists);
    EXPECT_EQ(withSharing.notifications, without.notifications);
    EXPECT_EQ(withSharing.diagnostics, without.diagnostics);
}

}  // namespace
}  // namespace velmora::life
