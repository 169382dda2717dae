#pragma once
// Builds shell scripts from trusted code fragments and untrusted values. A
// value always becomes exactly one single-quoted shell word ('\'' for a quote
// inside it), so quotes, $(…), backticks, newlines and semicolons in a disk or
// USB product name are data, never code. Callers put `--` or `-e`/-F before a
// value that a tool could take for an option or a pattern.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/process/ProcessLauncher.h"

namespace velmora {

class Script {
public:
    Script() = default;
    // Convenience: a script made of one trusted code text.
    explicit Script(std::string_view code);

    Script& code(std::string_view text);    // trusted program text, inserted as is
    Script& value(std::string_view text);   // untrusted value, inserted as one quoted word
    // What running the script may change, when its owner knows it to be
    // less than anything: a script of queries and filters changes nothing,
    // one of pmset and sysctl lines only settings. Answers kept for other
    // owners that it cannot have changed stay good.
    Script& onlyReads();
    Script& onlyTunesSettings();
    RunEffect effect() const { return effect_; }

    // The whole text as the shell receives it.
    std::string text() const;
    // The text with the sudo rule applied to code fragments only (values are
    // never touched, so a disk named "pseudo" cannot block its script); absent
    // when a code fragment still contains "sudo" after the replacements.
    std::optional<std::string> textWithoutSudo() const;

    static std::string quote(std::string_view value);

private:
    struct Piece {
        bool isValue;
        std::string text;
    };
    std::vector<Piece> pieces_;
    RunEffect effect_ = RunEffect::anything;
};

// The sudo rule on a plain text: remove every "sudo " and every "sudo\n"
// (literal, case-sensitive, in that order); absent when "sudo" still remains.
std::optional<std::string> applySudoRule(std::string_view text);

}  // namespace velmora
