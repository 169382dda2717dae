// A disk's last 7 days as its card shows them.
#include <gtest/gtest.h>

#include "ui/model/DiskHistoryView.h"

namespace velmora {
namespace {

const Date now = dateFromSeconds(1767225600.0);

HistoryEvent ago(double hours, HistoryKind kind, double value = 0) {
    HistoryEvent e;
    e.time = addSeconds(now, -hours * 3600);
    e.kind = kind;
    e.value = value;
    return e;
}

TEST(DiskHistoryView, TheSummaryCountsTheLastDaysDropsAndFailuresNotCleanEjects) {
    using K = HistoryKind;
    struct Case {
        std::vector<HistoryEvent> week;
        const char* summary;
    };
    const std::vector<Case> cases{
        {{}, "No disconnects in the last 24 hours"},
        {{ago(2, K::ejected), ago(3, K::ejected)}, "No disconnects in the last 24 hours"},
        {{ago(1, K::vanished)}, "1 disconnect in the last 24 hours"},
        {{ago(1, K::vanished), ago(5, K::vanished), ago(23.9, K::vanished), ago(25, K::vanished)},
         "3 disconnects in the last 24 hours"},
        {{ago(1, K::vanished), ago(2, K::enumerationFailure, 4)}, "1 disconnect, 4 enumeration failures in the last 24 hours"},
        {{ago(2, K::enumerationFailure, 1)}, "No disconnects, 1 enumeration failure in the last 24 hours"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.summary);
        EXPECT_EQ(diskHistoryView(c.week, now).summary, c.summary);
    }
}

TEST(DiskHistoryView, MarksSitWhereTheyHappenedAndTheSparklineScalesToTheWeeksPeak) {
    using K = HistoryKind;
    const double week = 7 * 24;
    const auto view = diskHistoryView({ago(week, K::connected), ago(week / 2, K::vanished), ago(1, K::enumerationFailure, 2),
                                       ago(week / 2, K::throughput, 100), ago(week / 2 - 1, K::throughput, 50),
                                       ago(2, K::throughput, 400), ago(2, K::stabilityLevel), ago(week + 1, K::vanished)},
                                      now);
    ASSERT_EQ(view.marks.size(), 3u) << "stabilizer events have no mark, and nothing older than the week";
    EXPECT_EQ(view.marks[0], (DiskHistoryMark{0.0, "green"}));
    EXPECT_EQ(view.marks[1], (DiskHistoryMark{0.5, "red"}));
    EXPECT_NEAR(view.marks[2].position, 1 - 1 / week, 1e-9);
    EXPECT_EQ(view.marks[2].tone, "orange");
    ASSERT_EQ(view.throughput.size(), static_cast<std::size_t>(DiskHistoryView::slotCount));
    EXPECT_EQ(view.throughput[21], 0.25) << "a slot shows its highest sample";
    EXPECT_EQ(view.throughput[41], 1.0);
    EXPECT_EQ(std::count(view.throughput.begin(), view.throughput.end(), -1.0), DiskHistoryView::slotCount - 2);
    EXPECT_EQ(view.throughputCaption, "Peak 400 MB/s");
    EXPECT_EQ(diskHistoryView({}, now).throughputCaption, "");
}

}  // namespace
}  // namespace velmora
