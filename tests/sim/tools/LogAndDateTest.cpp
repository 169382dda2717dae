#include "tests/sim/tools/ToolTestSupport.h"

namespace velmora::sim::testing {
namespace {

// 2026-12-08 05:00:00 UTC
constexpr double kNow = 1796706000;

class LogAndDateTest : public ToolFixture {
protected:
    LogAndDateTest() {
        change([](MachineState& s) { s.log.clear(); });
    }
    void addLog(double time, const std::string& message) {
        change([&](MachineState& s) {
            LogEntry e;
            e.time = time;
            e.message = message;
            s.log.push_back(e);
        });
    }
    std::vector<std::string> entryLines(const std::string& out) {
        std::vector<std::string> result;
        for (const auto& l : lines(out)) {
            if (l.find("localhost ") != std::string::npos) result.push_back(l);
        }
        return result;
    }
};

TEST_F(LogAndDateTest, DateAdjustmentsFollowBsdSyntax) {
    TimeZone utc("UTC");
    struct Case {
        std::vector<std::string> args;
        std::string out;
    };
    const std::vector<Case> cases = {
        {{"-v-30S", "+%Y-%m-%d %H:%M:%S"}, "2026-12-08 04:59:30"},
        {{"-v-60S", "+%Y-%m-%d %H:%M:%S"}, "2026-12-08 04:59:00"},
        {{"-v+1d", "-v-2H", "+%F %T"}, "2026-12-09 03:00:00"},
        {{"-v+1m", "+%F"}, "2027-01-08"},
        {{"-v-1y", "+%F"}, "2025-12-08"},
        {{"-v-1w", "+%F"}, "2026-12-01"},
        {{"-v12H", "+%H:%M"}, "12:00"},
        {{}, "Tue Dec  8 05:00:00 UTC 2026"},
        {{"+%s"}, "1796706000"},
        {{"-u", "+%H"}, "05"},
    };
    for (const auto& c : cases) {
        auto r = run("date", c.args, kNow);
        EXPECT_EQ(r.exitStatus, 0) << r.err;
        EXPECT_EQ(r.out, c.out + "\n") << (c.args.empty() ? "(none)" : c.args[0]);
    }
}

TEST_F(LogAndDateTest, DateRejectsBadInputWithoutCrashing) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"-v"}, {"-v-30Q"}, {"-v--5S"}, {"-v+99999999999S"}, {"-x"}, {"0101"}}) {
        auto r = run("date", args, kNow);
        EXPECT_EQ(r.exitStatus, 1) << args[0];
        EXPECT_EQ(r.out, "") << args[0];
    }
}

TEST_F(LogAndDateTest, LogShowFiltersByStartTimeAndPredicate) {
    TimeZone utc("UTC");
    addLog(kNow - 100, "AppleUSB20XHCIPort@01400000: AppleUSBHostPort::disconnect: persistent enumeration failures");
    addLog(kNow - 20, "AppleUSB20HubPort@14420000: AppleUSBHostPort::createDevice: failed to create device");
    addLog(kNow - 10, "AppleUSB20XHCIPort@01400000: AppleUSBHostPort::disconnect: persistent enumeration failures");
    addLog(kNow - 5, "unrelated line");
    const std::string predicate =
        "eventMessage contains \"enumeration failures\" OR eventMessage contains \"failed to create device\"";
    auto r = run("log", {"show", "--predicate", predicate, "--start", "2026-12-08 04:59:30", "--style", "syslog"}, kNow);
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    auto entries = entryLines(r.out);
    ASSERT_EQ(entries.size(), 2u) << r.out;
    EXPECT_EQ(entries[0],
              "2026-12-08 04:59:40.000000+0000  localhost kernel[0]: (IOUSBHostFamily) AppleUSB20HubPort@14420000: "
              "AppleUSBHostPort::createDevice: failed to create device");
    auto l = lines(r.out);
    EXPECT_EQ(l[0], "Filtering the log data using \"eventMessage CONTAINS \"enumeration failures\" OR eventMessage "
                    "CONTAINS \"failed to create device\"\"");
    EXPECT_EQ(l.size(), 5u) << "three lines come before the entries, and wc -l counts them";
}

TEST_F(LogAndDateTest, StartIsReadInTheProcessTimeZone) {
    TimeZone istanbul("Europe/Istanbul");  // UTC+3 all year
    addLog(kNow - 20, "enumeration failures early");
    addLog(kNow - 5, "enumeration failures late");
    auto r = run("log", {"show", "--predicate", "eventMessage contains \"enumeration\"", "--start", "2026-12-08 07:59:50",
                         "--style", "syslog"},
                 kNow);
    auto entries = entryLines(r.out);
    ASSERT_EQ(entries.size(), 1u) << r.out;
    EXPECT_EQ(entries[0].substr(0, 31), "2026-12-08 07:59:55.000000+0300");
}

TEST_F(LogAndDateTest, PredicateSemantics) {
    addLog(kNow - 1, "USB Enumeration Failures here");
    addLog(kNow - 1, "enumeration failures and timeout");
    struct Case {
        std::string predicate;
        std::size_t count;
    };
    const std::vector<Case> cases = {
        {"eventMessage contains \"enumeration failures\"", 1},  // case-sensitive
        {"eventMessage contains[c] \"enumeration failures\"", 2},
        {"eventMessage CONTAINS \"enumeration\" AND eventMessage CONTAINS \"timeout\"", 1},
        {"eventMessage contains \"nothing\" || eventMessage contains \"USB\"", 1},
        {"NOT eventMessage contains \"USB\"", 1},
        {"(eventMessage contains \"a\" OR eventMessage contains \"b\") AND process == \"kernel\"", 2},
        {"process == \"Finder\"", 0},
    };
    for (const auto& c : cases) {
        auto r = run("log", {"show", "--predicate", c.predicate, "--style", "syslog"}, kNow);
        EXPECT_EQ(r.exitStatus, 0) << c.predicate << ": " << r.err;
        EXPECT_EQ(entryLines(r.out).size(), c.count) << c.predicate;
    }
}

TEST_F(LogAndDateTest, BadPredicatesAndOptionsFail) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"show", "--predicate", "eventMessage contains"},
          {"show", "--predicate", "eventMessage contains \"unterminated"},
          {"show", "--predicate", std::string(300, '(') + "x == \"y\""},
          {"show", "--start", "yesterday"},
          {"show", "--bogus"},
          {"show", "--style", "fancy"},
          {}}) {
        auto r = run("log", args, kNow);
        EXPECT_NE(r.exitStatus, 0);
        EXPECT_EQ(r.out, "");
    }
}

TEST_F(LogAndDateTest, ScriptFormOfTheEnumerationCheckCountsHeaderLines) {
    addLog(Machine::now() - 2, "AppleUSBHostPort::disconnect: persistent enumeration failures Velmora SSD");
    auto r = runScript(
        "log show --predicate 'eventMessage contains \"enumeration failures\" OR eventMessage contains \"failed to "
        "create device\"' --start \"$(date -v-30S '+%Y-%m-%d %H:%M:%S')\" --style syslog 2>/dev/null | wc -l");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(std::stoi(r.output), 4);
    auto named = runScript(
        "log show --predicate 'eventMessage contains \"enumeration failures\"' --start \"$(date -v-30S '+%Y-%m-%d "
        "%H:%M:%S')\" --style syslog 2>/dev/null | grep -i \"Velmora SSD\" | wc -l");
    EXPECT_EQ(std::stoi(named.output), 1);
}

}  // namespace
}  // namespace velmora::sim::testing
