// `velmora history`: its command line and what it writes.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>

#include "foundation/data/TemporaryFolder.h"
#include "history/store/HistoryCommand.h"
#include "history/store/HistoryDatabase.h"

namespace velmora {
namespace {

std::variant<HistoryCommandOptions, HistoryCommandUsage> parse(std::vector<const char*> args) {
    return parseHistoryCommand(static_cast<int>(args.size()), args.data());
}

TEST(HistoryCommand, CommandLinesThatCannotBeUsedAreRefusedWithTheReason) {
    struct Case {
        std::vector<const char*> args;
        int status;  // -1: accepted
        const char* problem;
    };
    for (const Case& c : {Case{{}, -1, ""}, Case{{"--json", "--disk", "Travel SSD", "--since", "2026-01-01"}, -1, ""},
                          Case{{"--help"}, 0, ""}, Case{{"--since", "last week"}, 2, "not a date: last week"},
                          Case{{"--since"}, 2, "not understood: --since"}, Case{{"--csv", "--json"}, 2, "one of --csv and --json"},
                          Case{{"--xml"}, 2, "not understood: --xml"}}) {
        SCOPED_TRACE(c.args.empty() ? "(none)" : c.args[0]);
        const auto parsed = parse(c.args);
        if (c.status < 0) {
            EXPECT_TRUE(std::holds_alternative<HistoryCommandOptions>(parsed));
            continue;
        }
        ASSERT_TRUE(std::holds_alternative<HistoryCommandUsage>(parsed));
        EXPECT_EQ(std::get<HistoryCommandUsage>(parsed).status, c.status);
        EXPECT_EQ(std::get<HistoryCommandUsage>(parsed).problem, c.problem);
    }
}

TEST(HistoryCommand, ExportsTheChosenDiskSinceTheDateAndSaysWhenThereIsNoFile) {
    testing::TemporaryFolder folder;
    const std::string path = folder.path() + "/History.sqlite";
    std::ostringstream out, err;
    EXPECT_EQ(runHistoryExport({}, path, out, err), 1);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "velmora history: no history at " + path + "\n");
    {
        CapturingDiagnostics say;
        auto db = HistoryDatabase::open(path, say);
        const Date day = dateFromSeconds(1767225600.0);
        ASSERT_TRUE(db->insert({{day, "usb:S1", "Travel SSD", HistoryKind::connected, "disk4", 0, "0.1"},
                                {addSeconds(day, 86400), "usb:S1", "Travel SSD", HistoryKind::vanished, "disk4", 0, "0.1"},
                                {addSeconds(day, 86400), "media:B|2", "Backup", HistoryKind::connected, "disk5", 0, "0.1"}}));
    }
    HistoryCommandOptions options;
    options.disk = "Travel SSD";
    options.since = "2026-01-02";
    options.json = true;
    std::ostringstream json, jsonErr;
    ASSERT_EQ(runHistoryExport(options, path, json, jsonErr), 0) << jsonErr.str();
    const auto parsed = nlohmann::json::parse(json.str());
    ASSERT_EQ(parsed.size(), 1u);
    EXPECT_EQ(parsed[0]["kind"], "vanish");

    std::ostringstream csv, csvErr;
    ASSERT_EQ(runHistoryExport({}, path, csv, csvErr), 0);
    EXPECT_EQ(csv.str(),
              "time,disk,disk_name,kind,detail,value,version\n"
              "2026-01-01T00:00:00.000Z,usb:S1,Travel SSD,connect,disk4,0,0.1\n"
              "2026-01-02T00:00:00.000Z,usb:S1,Travel SSD,vanish,disk4,0,0.1\n"
              "2026-01-02T00:00:00.000Z,media:B|2,Backup,connect,disk5,0,0.1\n");
}

}  // namespace
}  // namespace velmora
