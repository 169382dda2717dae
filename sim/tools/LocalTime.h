#pragma once
// Calendar work in the process's time zone (TZ), as BSD date and log do.
#include <ctime>
#include <optional>
#include <string>

namespace velmora::sim {

class LocalTime {
public:
    static std::tm broken(double seconds, bool utc = false);
    // strftime for any format text, however long its result.
    static std::string format(const std::tm& tm, const std::string& format);
    // "YYYY-MM-DD HH:MM:SS" / "YYYY-MM-DD HH:MM" / "YYYY-MM-DD" in local time.
    static std::optional<double> parse(const std::string& text);
    // BSD date -v: "[+|-]N[ymwdHMS]" adjusts; without a sign it sets the field.
    static bool adjust(std::tm& tm, const std::string& adjustment);
    static double seconds(std::tm tm);  // mktime, local
    // "2026-12-08 05:13:25.123456+0000"
    static std::string logTimestamp(double seconds);
};

}  // namespace velmora::sim
