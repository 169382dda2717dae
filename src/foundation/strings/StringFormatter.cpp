#include "foundation/strings/StringFormatter.h"

#include <cstdio>
#include <string>

namespace velmora {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string StringFormatter::result() {
    out_.clear();
    while (at_ < format_.size()) {
        const std::size_t percent = format_.find('%', at_);
        if (percent == std::string_view::npos) {
            out_.append(format_.substr(at_));
            break;
        }
        out_.append(format_.substr(at_, percent - at_));
        at_ = percent;
        if (!specifier()) {
            out_ += '%';
            at_ = percent + 1;
        }
    }
    return std::move(out_);
}

bool StringFormatter::specifier() {
    std::size_t i = at_ + 1;
    if (i < format_.size() && format_[i] == '%') {
        out_ += '%';
        at_ = i + 1;
        return true;
    }
    // Optional position: digits followed by '$'.
    std::size_t position = 0;
    bool positional = false;
    {
        std::size_t k = i;
        std::size_t value = 0;
        for (; k < format_.size() && isDigit(format_[k]); ++k) {
            if (value < 1000000) value = value * 10 + static_cast<std::size_t>(format_[k] - '0');  // saturates
        }
        if (k > i && k < format_.size() && format_[k] == '$') {
            positional = true;
            position = value;
            i = k + 1;
        }
    }
    // Flags and width are kept for integers; precision and length letters
    // change nothing for 64-bit arguments.
    const std::size_t flagsStart = i;
    while (i < format_.size() && (format_[i] == '-' || format_[i] == '+' || format_[i] == ' ' || format_[i] == '0' ||
                                  format_[i] == '#')) {
        ++i;
    }
    std::size_t widthDigits = 0;
    while (i < format_.size() && isDigit(format_[i]) && widthDigits < 3) {
        ++i;
        ++widthDigits;
    }
    const std::string_view flags = format_.substr(flagsStart, i - flagsStart);
    while (i < format_.size() && (format_[i] == 'l' || format_[i] == 'h' || format_[i] == 'q' || format_[i] == 'z' ||
                                  format_[i] == 't' || format_[i] == 'j')) {
        ++i;
    }
    if (i >= format_.size()) return false;
    const char conversion = format_[i];
    if (conversion != '@' && conversion != 'd' && conversion != 'i' && conversion != 'u') return false;
    if (positional && position == 0) return false;
    const FormatArgument* value = argument(positional ? position - 1 : nextArgument_++);
    out_ += conversion == '@' ? asText(value) : asInteger(value, flags, conversion);
    at_ = i + 1;
    return true;
}

const FormatArgument* StringFormatter::argument(std::size_t position) const {
    return position < arguments_.size() ? &arguments_[position] : nullptr;
}

std::string StringFormatter::asText(const FormatArgument* value) {
    if (!value) return {};
    if (const auto* text = std::get_if<std::string>(value)) return *text;
    return std::to_string(std::get<long long>(*value));
}

std::string StringFormatter::asInteger(const FormatArgument* value, std::string_view flags, char conversion) {
    if (!value) return {};
    // A text where a number was expected is shown as it is rather than lost.
    if (const auto* text = std::get_if<std::string>(value)) return *text;
    const long long number = std::get<long long>(*value);
    const std::string pattern = "%" + std::string(flags) + (conversion == 'u' ? "llu" : "lld");
    char buffer[64];
    if (conversion == 'u') {
        std::snprintf(buffer, sizeof buffer, pattern.c_str(), static_cast<unsigned long long>(number));
    } else {
        std::snprintf(buffer, sizeof buffer, pattern.c_str(), number);
    }
    return buffer;
}

}  // namespace velmora
