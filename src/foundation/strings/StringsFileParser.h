#pragma once
// Reads the entries of a .strings file: "key" = "value"; with /* */ and //
// comments and backslash escapes. A malformed entry is skipped up to the
// next ';' and reading goes on, so one typo costs one text, not the table.
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

class StringsFileParser {
public:
    explicit StringsFileParser(std::string_view text);
    std::map<std::string, std::string> entries();

private:
    void skipSpaceAndComments();
    std::optional<std::string> quoted();
    bool expect(char c);
    void skipPastSemicolon();
    void appendEscape(std::string& out);

    std::string_view text_;
    std::size_t at_ = 0;
};

}  // namespace velmora
