#include "sim/tools/TextFormat.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace velmora::sim::text {

std::size_t displayWidth(std::string_view s) {
    std::size_t count = 0;
    for (unsigned char c : s) {
        if ((c & 0xC0) != 0x80) ++count;
    }
    return count;
}

std::string padRight(std::string_view s, std::size_t width) {
    std::string result(s);
    std::size_t w = displayWidth(s);
    if (w < width) result.append(width - w, ' ');
    return result;
}

std::string padLeft(std::string_view s, std::size_t width) {
    std::size_t w = displayWidth(s);
    std::string result;
    if (w < width) result.append(width - w, ' ');
    result += s;
    return result;
}

std::string firstCharacters(std::string_view s, std::size_t count) {
    std::size_t seen = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
            if (seen == count) return std::string(s.substr(0, i));
            ++seen;
        }
    }
    return std::string(s);
}

std::vector<std::string> split(std::string_view s, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        std::size_t at = s.find(separator, start);
        if (at == std::string_view::npos) {
            parts.emplace_back(s.substr(start));
            return parts;
        }
        parts.emplace_back(s.substr(start, at - start));
        start = at + 1;
    }
}

std::vector<std::string> splitWhitespace(std::string_view s) {
    std::vector<std::string> parts;
    std::string current;
    for (char c : s) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            if (!current.empty()) parts.push_back(std::move(current));
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) parts.push_back(std::move(current));
    return parts;
}

bool startsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

bool endsWith(std::string_view s, std::string_view suffix) {
    return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

std::string lower(std::string_view s) {
    std::string result(s);
    for (char& c : result) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return result;
}

std::string decimalSize(std::int64_t bytes) {
    static const char* const units[] = {"Bytes", "KB", "MB", "GB", "TB", "PB"};
    if (bytes < 1000) return std::to_string(bytes) + " Bytes";
    double value = static_cast<double>(bytes);
    int unit = 0;
    while (value >= 999.95 && unit < 5) {
        value /= 1000.0;
        ++unit;
    }
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.1f %s", value, units[unit]);
    return buffer;
}

std::uint64_t stableHash(std::string_view s) {
    std::uint64_t h = 1469598103934665603ULL;
    for (unsigned char c : s) {
        h ^= c;
        h *= 1099511628211ULL;
    }
    return h;
}

std::string hex(std::uint64_t value, int digits) {
    static const char* const hexDigits = "0123456789ABCDEF";
    std::string result(static_cast<std::size_t>(digits), '0');
    for (int i = digits - 1; i >= 0; --i) {
        result[static_cast<std::size_t>(i)] = hexDigits[value & 0xF];
        value >>= 4;
    }
    return result;
}

std::string uuidFor(std::string_view seed) {
    std::uint64_t a = stableHash(seed);
    std::uint64_t b = stableHash(std::string(seed) + "#");
    std::string h = hex(a, 16) + hex(b, 16);
    return h.substr(0, 8) + "-" + h.substr(8, 4) + "-" + h.substr(12, 4) + "-" + h.substr(16, 4) + "-" + h.substr(20, 12);
}

bool parseInteger(std::string_view s, long long& value) {
    if (s.empty() || s.size() > 30) return false;
    std::string copy(s);
    errno = 0;
    char* end = nullptr;
    long long parsed = std::strtoll(copy.c_str(), &end, 10);
    if (errno != 0 || end == copy.c_str() || *end != '\0' || copy[0] == ' ') return false;
    value = parsed;
    return true;
}

}  // namespace velmora::sim::text
