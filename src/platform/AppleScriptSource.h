#pragma once
// Builds AppleScript source from trusted code fragments and untrusted values.
// A value always becomes exactly one AppleScript string literal, with `\` and
// `"` escaped, so a bundle path holding `"; do shell script "…` stays data
// inside the literal instead of ending it and running as code. Line breaks and
// other characters are kept as they are: AppleScript literals may span lines.
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

class AppleScriptSource {
public:
    AppleScriptSource& code(std::string_view text);   // trusted program text, inserted as is
    AppleScriptSource& value(std::string_view text);  // untrusted value, inserted as one string literal

    std::string text() const;

    // The value between double quotes, `\` and `"` escaped.
    static std::string literal(std::string_view value);

private:
    std::string text_;
};

}  // namespace velmora
