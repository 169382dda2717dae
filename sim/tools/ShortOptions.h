#pragma once
// getopt-style parsing of single-letter options ("-lw0", "-p IOUSB", "--"),
// shared by the tools that take them, so none of them can be crashed by odd
// arguments.
#include <map>
#include <optional>
#include <variant>
#include <string>
#include <vector>

namespace velmora::sim {

class ShortOptions {
public:
    // `flags`: letters without a value; `valued`: letters that take one.
    ShortOptions(std::string flags, std::string valued) : flags_(std::move(flags)), valued_(std::move(valued)) {}

    struct Parsed {
        std::vector<std::pair<char, std::string>> options;  // in order; flags have ""
        std::vector<std::string> operands;
        bool has(char letter) const;
        std::optional<std::string> last(char letter) const;
        std::vector<std::string> all(char letter) const;
    };
    struct Error {
        char letter = 0;
        bool missingValue = false;  // else: unknown option
        // BSD getopt's text: "illegal option -- x" / "option requires an argument -- x".
        std::string message() const;
    };

    // Options stop at the first operand (BSD getopt) unless `permute`.
    std::variant<Parsed, Error> parse(const std::vector<std::string>& args, std::size_t from = 0,
                                      bool permute = false) const;

private:
    std::string flags_;
    std::string valued_;
};

}  // namespace velmora::sim
