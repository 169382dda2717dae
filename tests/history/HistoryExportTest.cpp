// The exported texts and the dates the command line takes.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "history/record/HistoryExport.h"

namespace velmora {
namespace {

std::vector<HistoryEvent> sample() {
    HistoryEvent plain{Date{} + std::chrono::milliseconds(1767225600250), "usb:S1", "Travel SSD", HistoryKind::vanished, "gone", 0, "0.1"};
    HistoryEvent awkward{dateFromSeconds(1767225660), "media:=cmd|1", "=HYPERLINK(\"x\"),\nnext",
                         HistoryKind::throughput, "read \"fast\"", 12.5, "0.1"};
    awkward.diskName += "\xff";  // not UTF-8
    return {plain, awkward};
}

TEST(HistoryExport, CsvQuotesWhatNeedsItAndKeepsFormulasAsText) {
    EXPECT_EQ(historyAsCsv(sample()),
              "time,disk,disk_name,kind,detail,value,version\n"
              "2026-01-01T00:00:00.250Z,usb:S1,Travel SSD,vanish,gone,0,0.1\n"
              "2026-01-01T00:01:00.000Z,media:=cmd|1,\"'=HYPERLINK(\"\"x\"\"),\nnext\xff\",throughput,"
              "\"read \"\"fast\"\"\",12.5,0.1\n");
}

TEST(HistoryExport, JsonIsOneObjectPerEventAndAlwaysValid) {
    const auto parsed = nlohmann::json::parse(historyAsJson(sample()));
    ASSERT_EQ(parsed.size(), 2u);
    EXPECT_EQ(parsed[0]["time"], "2026-01-01T00:00:00.250Z");
    EXPECT_EQ(parsed[0]["kind"], "vanish");
    EXPECT_EQ(parsed[1]["detail"], "read \"fast\"");
    EXPECT_EQ(parsed[1]["value"], 12.5);
    EXPECT_EQ(parsed[1]["disk_name"], "=HYPERLINK(\"x\"),\nnext\xEF\xBF\xBD");
}

TEST(HistoryExport, DatesAreTakenInUtcAndNonsenseIsRefused) {
    struct Case {
        const char* text;
        std::optional<double> seconds;
    };
    for (const Case& c : {Case{"2026-01-01", 1767225600.0}, Case{"2026-01-01T10:30", 1767263400.0},
                          Case{"2026-01-01T10:30:15Z", 1767263415.0}, Case{"2026-04-31", std::nullopt},
                          Case{"2026-1-1", std::nullopt}, Case{"yesterday", std::nullopt},
                          Case{"2026-01-01T25:00", std::nullopt}, Case{"", std::nullopt}}) {
        SCOPED_TRACE(c.text);
        const auto parsed = parseUtcDate(c.text);
        ASSERT_EQ(parsed.has_value(), c.seconds.has_value());
        if (parsed) {
            EXPECT_EQ(secondsSinceEpoch(*parsed), *c.seconds);
        }
    }
}

}  // namespace
}  // namespace velmora
