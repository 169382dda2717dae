#include "history/record/HistoryExport.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <ctime>

namespace velmora {

namespace {

std::string csvField(const std::string& value) {
    // A spreadsheet would run a cell that starts like a formula; a disk's
    // name is the user's (or the disk maker's) text, so it is kept as text.
    std::string text = value;
    if (!text.empty() && (text[0] == '=' || text[0] == '+' || text[0] == '-' || text[0] == '@')) text = "'" + text;
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string number(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.6g", value);
    return buffer;
}

}  // namespace

std::string utcTimestamp(Date time) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
    const std::time_t seconds = static_cast<std::time_t>(ms >= 0 ? ms / 1000 : (ms - 999) / 1000);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900, utc.tm_mon + 1,
                  utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, static_cast<int>(((ms % 1000) + 1000) % 1000));
    return buffer;
}

std::optional<Date> parseUtcDate(std::string_view text) {
    if (!text.empty() && text.back() == 'Z') text.remove_suffix(1);
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    const std::string s(text);
    int used = 0;
    bool ok = false;
    if (s.size() == 10) {
        ok = std::sscanf(s.c_str(), "%4d-%2d-%2d%n", &year, &month, &day, &used) == 3;
    } else if (s.size() == 16) {
        ok = std::sscanf(s.c_str(), "%4d-%2d-%2dT%2d:%2d%n", &year, &month, &day, &hour, &minute, &used) == 5;
    } else if (s.size() == 19) {
        ok = std::sscanf(s.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%n", &year, &month, &day, &hour, &minute, &second, &used) == 6;
    }
    if (!ok || used != static_cast<int>(s.size())) return std::nullopt;
    if (month < 1 || month > 12 || day < 1 || hour > 23 || minute > 59 || second > 59) return std::nullopt;
    std::tm utc{};
    utc.tm_year = year - 1900;
    utc.tm_mon = month - 1;
    utc.tm_mday = day;
    utc.tm_hour = hour;
    utc.tm_min = minute;
    utc.tm_sec = second;
    const std::time_t t = timegm(&utc);
    // timegm rolls 31 April over into May; such a date is refused, not moved.
    std::tm back{};
    gmtime_r(&t, &back);
    if (back.tm_mday != day || back.tm_mon != month - 1) return std::nullopt;
    return Clock::from_time_t(t);
}

std::string historyAsCsv(const std::vector<HistoryEvent>& events) {
    std::string out = "time,disk,disk_name,kind,detail,value,version\n";
    for (const auto& e : events) {
        out += utcTimestamp(e.time) + "," + csvField(e.disk) + "," + csvField(e.diskName) + "," +
               std::string(historyKindName(e.kind)) + "," + csvField(e.detail) + "," + number(e.value) + "," +
               csvField(e.version) + "\n";
    }
    return out;
}

std::string historyAsJson(const std::vector<HistoryEvent>& events) {
    auto list = nlohmann::json::array();
    for (const auto& e : events) {
        list.push_back({{"time", utcTimestamp(e.time)},
                        {"disk", e.disk},
                        {"disk_name", e.diskName},
                        {"kind", historyKindName(e.kind)},
                        {"detail", e.detail},
                        {"value", e.value},
                        {"version", e.version}});
    }
    // A disk's name is bytes from the disk; what is not UTF-8 becomes U+FFFD
    // rather than ending the export.
    return list.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

}  // namespace velmora
