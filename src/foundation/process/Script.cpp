#include "foundation/process/Script.h"

namespace velmora {

namespace {

void removeAll(std::string& text, std::string_view needle) {
    std::string result;
    result.reserve(text.size());
    std::size_t from = 0;
    for (std::size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, from)) {
        result.append(text, from, at - from);
        from = at + needle.size();
    }
    result.append(text, from, std::string::npos);
    text = std::move(result);
}

}  // namespace

std::optional<std::string> applySudoRule(std::string_view text) {
    std::string result(text);
    // One pass each, in this order: a "sudo" formed by a removal is not removed
    // again, so "susudo do" ends as "sudo" and is refused.
    removeAll(result, "sudo ");
    removeAll(result, "sudo\n");
    if (result.find("sudo") != std::string::npos) return std::nullopt;
    return result;
}

Script::Script(std::string_view code) { this->code(code); }

Script& Script::code(std::string_view text) {
    pieces_.push_back(Piece{false, std::string(text)});
    return *this;
}

Script& Script::value(std::string_view text) {
    pieces_.push_back(Piece{true, std::string(text)});
    return *this;
}

Script& Script::onlyReads() {
    effect_ = RunEffect::nothing;
    return *this;
}

Script& Script::onlyTunesSettings() {
    effect_ = RunEffect::settingsOnly;
    return *this;
}

std::string Script::quote(std::string_view value) {
    std::string quoted;
    quoted.reserve(value.size() + 2);
    quoted.push_back('\'');
    for (char c : value) {
        if (c == '\'') {
            quoted.append("'\\''");
        } else {
            quoted.push_back(c);
        }
    }
    quoted.push_back('\'');
    return quoted;
}

std::string Script::text() const {
    std::string whole;
    for (const Piece& piece : pieces_) whole += piece.isValue ? quote(piece.text) : piece.text;
    return whole;
}

std::optional<std::string> Script::textWithoutSudo() const {
    // Adjacent code fragments are joined before the rule runs, so "su" + "do x"
    // is judged as the shell will see it. A value can neither hide nor form a
    // "sudo": it always starts and ends with a quote character.
    std::string whole;
    std::string codeRun;
    bool refused = false;
    auto flushCode = [&] {
        if (codeRun.empty()) return;
        if (auto cleaned = applySudoRule(codeRun)) {
            whole += *cleaned;
        } else {
            refused = true;
        }
        codeRun.clear();
    };
    for (const Piece& piece : pieces_) {
        if (piece.isValue) {
            flushCode();
            whole += quote(piece.text);
        } else {
            codeRun += piece.text;
        }
    }
    flushCode();
    if (refused) return std::nullopt;
    return whole;
}

}  // namespace velmora
