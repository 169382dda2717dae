#pragma once
// ASCII-only lower-casing: 'A'–'Z' become 'a'–'z', every other byte (UTF-8
// sequences included) is kept, whatever the process locale.
#include <string>
#include <string_view>

namespace velmora {

inline char asciiLowercase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

inline std::string asciiLowercased(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = asciiLowercase(c);
    return lower;
}

}  // namespace velmora
