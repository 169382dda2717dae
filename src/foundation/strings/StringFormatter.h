#pragma once
// NSString-style formatting of a localized text: %@ (text), %d %i %u with the
// l, ll, q, h and z length letters, %% and positional forms such as %2$@.
// A missing argument formats as empty text and an extra one is ignored, so a
// translation that drops or reorders arguments never breaks the program;
// anything that is not a known specifier is copied as it stands.
#include <string>
#include <string_view>
#include <vector>

#include "foundation/strings/StringTable.h"

namespace velmora {

class StringFormatter {
public:
    StringFormatter(std::string_view format, const std::vector<FormatArgument>& arguments)
        : format_(format), arguments_(arguments) {}
    std::string result();

private:
    // Formats the specifier at format_[at_] == '%' into out_; false when it
    // is not one (the caller then copies the '%').
    bool specifier();
    const FormatArgument* argument(std::size_t position) const;
    static std::string asText(const FormatArgument* argument);
    static std::string asInteger(const FormatArgument* argument, std::string_view flags, char conversion);

    std::string_view format_;
    const std::vector<FormatArgument>& arguments_;
    std::size_t at_ = 0;
    std::size_t nextArgument_ = 0;
    std::string out_;
};

}  // namespace velmora
