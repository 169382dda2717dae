#include "sim/tools/LocalTime.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace velmora::sim {

std::tm LocalTime::broken(double seconds, bool utc) {
    std::time_t t = static_cast<std::time_t>(std::floor(seconds));
    std::tm tm{};
    if (utc) {
        gmtime_r(&t, &tm);
    } else {
        localtime_r(&t, &tm);
    }
    return tm;
}

std::string LocalTime::format(const std::tm& tm, const std::string& fmt) {
    // strftime cannot tell an empty result from a too-small buffer; a marker
    // character at the end can.
    std::string marked = fmt + "|";
    std::vector<char> buffer(256);
    while (buffer.size() < (1u << 22)) {
        std::size_t n = std::strftime(buffer.data(), buffer.size(), marked.c_str(), &tm);
        if (n > 0) return std::string(buffer.data(), n - 1);
        buffer.resize(buffer.size() * 4);
    }
    return "";
}

std::optional<double> LocalTime::parse(const std::string& text) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    char tail = 0;
    int fields = std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &y, &mo, &d, &h, &mi, &s, &tail);
    if (fields != 3 && fields != 5 && fields != 6) return std::nullopt;
    if (mo < 1 || mo > 12 || d < 1 || d > 31 || h < 0 || h > 23 || mi < 0 || mi > 59 || s < 0 || s > 60) return std::nullopt;
    std::tm tm{};
    tm.tm_year = y - 1900;
    tm.tm_mon = mo - 1;
    tm.tm_mday = d;
    tm.tm_hour = h;
    tm.tm_min = mi;
    tm.tm_sec = s;
    return seconds(tm);
}

double LocalTime::seconds(std::tm tm) {
    tm.tm_isdst = -1;
    return static_cast<double>(std::mktime(&tm));
}

bool LocalTime::adjust(std::tm& tm, const std::string& adjustment) {
    if (adjustment.size() < 2) return false;
    char sign = adjustment[0];
    std::size_t start = (sign == '+' || sign == '-') ? 1 : 0;
    char unit = adjustment.back();
    std::string digits = adjustment.substr(start, adjustment.size() - start - 1);
    if (digits.empty() || digits.size() > 6) return false;
    for (char c : digits) {
        if (c < '0' || c > '9') return false;
    }
    int n = std::stoi(digits);
    if (start == 0) {
        switch (unit) {
            case 'y': tm.tm_year = (n < 69 ? n + 100 : n < 100 ? n : n - 1900); break;
            case 'm': if (n < 1 || n > 12) return false; tm.tm_mon = n - 1; break;
            case 'd': if (n < 1 || n > 31) return false; tm.tm_mday = n; break;
            case 'H': if (n > 23) return false; tm.tm_hour = n; break;
            case 'M': if (n > 59) return false; tm.tm_min = n; break;
            case 'S': if (n > 60) return false; tm.tm_sec = n; break;
            default: return false;
        }
    } else {
        int delta = sign == '-' ? -n : n;
        switch (unit) {
            case 'y': tm.tm_year += delta; break;
            case 'm': tm.tm_mon += delta; break;
            case 'w': tm.tm_mday += 7 * delta; break;
            case 'd': tm.tm_mday += delta; break;
            case 'H': tm.tm_hour += delta; break;
            case 'M': tm.tm_min += delta; break;
            case 'S': tm.tm_sec += delta; break;
            default: return false;
        }
    }
    tm.tm_isdst = -1;
    std::tm copy = tm;
    if (std::mktime(&copy) == static_cast<std::time_t>(-1)) return false;
    tm = copy;
    return true;
}

std::string LocalTime::logTimestamp(double seconds) {
    std::tm tm = broken(seconds);
    double whole = std::floor(seconds);
    long micros = static_cast<long>(std::llround((seconds - whole) * 1e6));
    if (micros > 999999) micros = 999999;
    char fraction[32];
    std::snprintf(fraction, sizeof fraction, ".%06ld", micros);
    return format(tm, "%Y-%m-%d %H:%M:%S") + fraction + format(tm, "%z");
}

}  // namespace velmora::sim
