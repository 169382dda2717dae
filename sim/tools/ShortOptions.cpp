#include "sim/tools/ShortOptions.h"

namespace velmora::sim {

bool ShortOptions::Parsed::has(char letter) const {
    for (const auto& o : options) {
        if (o.first == letter) return true;
    }
    return false;
}

std::optional<std::string> ShortOptions::Parsed::last(char letter) const {
    std::optional<std::string> value;
    for (const auto& o : options) {
        if (o.first == letter) value = o.second;
    }
    return value;
}

std::vector<std::string> ShortOptions::Parsed::all(char letter) const {
    std::vector<std::string> values;
    for (const auto& o : options) {
        if (o.first == letter) values.push_back(o.second);
    }
    return values;
}

std::string ShortOptions::Error::message() const {
    return std::string(missingValue ? "option requires an argument -- " : "illegal option -- ") + letter;
}

std::variant<ShortOptions::Parsed, ShortOptions::Error> ShortOptions::parse(const std::vector<std::string>& args,
                                                                          std::size_t from, bool permute) const {
    Parsed parsed;
    bool optionsEnded = false;
    for (std::size_t i = from; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsEnded || a.size() < 2 || a[0] != '-') {
            parsed.operands.push_back(a);
            if (!permute) optionsEnded = true;
            continue;
        }
        if (a == "--") {
            optionsEnded = true;
            continue;
        }
        for (std::size_t k = 1; k < a.size(); ++k) {
            char letter = a[k];
            if (flags_.find(letter) != std::string::npos) {
                parsed.options.emplace_back(letter, "");
            } else if (valued_.find(letter) != std::string::npos) {
                if (k + 1 < a.size()) {
                    parsed.options.emplace_back(letter, a.substr(k + 1));
                } else if (i + 1 < args.size()) {
                    parsed.options.emplace_back(letter, args[++i]);
                } else {
                    return Error{letter, true};
                }
                break;
            } else {
                return Error{letter, false};
            }
        }
    }
    return parsed;
}

}  // namespace velmora::sim
