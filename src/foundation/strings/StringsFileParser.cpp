#include "foundation/strings/StringsFileParser.h"

#include <cstdint>

namespace velmora {
namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void appendUtf8(std::string& out, std::uint32_t codePoint) {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

}  // namespace

StringsFileParser::StringsFileParser(std::string_view text) : text_(text) {
    if (text_.substr(0, 3) == "\xEF\xBB\xBF") at_ = 3;  // byte-order mark
}

std::map<std::string, std::string> StringsFileParser::entries() {
    std::map<std::string, std::string> result;
    for (;;) {
        skipSpaceAndComments();
        if (at_ >= text_.size()) break;
        auto key = quoted();
        skipSpaceAndComments();
        if (!key || !expect('=')) {
            skipPastSemicolon();
            continue;
        }
        skipSpaceAndComments();
        auto value = quoted();
        skipSpaceAndComments();
        if (!value) {
            skipPastSemicolon();
            continue;
        }
        // Without its semicolon the entry is dropped, but what follows is
        // read as the next entry rather than skipped.
        if (!expect(';')) continue;
        result.insert_or_assign(std::move(*key), std::move(*value));
    }
    return result;
}

void StringsFileParser::skipSpaceAndComments() {
    while (at_ < text_.size()) {
        if (isSpace(text_[at_])) {
            ++at_;
        } else if (text_.substr(at_, 2) == "//") {
            const std::size_t end = text_.find('\n', at_);
            at_ = end == std::string_view::npos ? text_.size() : end + 1;
        } else if (text_.substr(at_, 2) == "/*") {
            const std::size_t end = text_.find("*/", at_ + 2);
            at_ = end == std::string_view::npos ? text_.size() : end + 2;
        } else {
            return;
        }
    }
}

bool StringsFileParser::expect(char c) {
    if (at_ < text_.size() && text_[at_] == c) {
        ++at_;
        return true;
    }
    return false;
}

void StringsFileParser::skipPastSemicolon() {
    // Stop at the semicolon or at the line end, whichever comes first, so a
    // missing semicolon does not swallow the next entry.
    while (at_ < text_.size()) {
        const char c = text_[at_++];
        if (c == ';' || c == '\n') return;
    }
}

std::optional<std::string> StringsFileParser::quoted() {
    if (!expect('"')) return std::nullopt;
    std::string out;
    while (at_ < text_.size()) {
        const char c = text_[at_++];
        if (c == '"') return out;
        if (c == '\\') {
            appendEscape(out);
        } else {
            out += c;
        }
    }
    return std::nullopt;  // unterminated
}

void StringsFileParser::appendEscape(std::string& out) {
    if (at_ >= text_.size()) return;
    const char c = text_[at_++];
    switch (c) {
        case 'n': out += '\n'; return;
        case 't': out += '\t'; return;
        case 'r': out += '\r'; return;
        case 'u':
        case 'U': {
            std::uint32_t codePoint = 0;
            int digits = 0;
            while (digits < 4 && at_ < text_.size() && hexValue(text_[at_]) >= 0) {
                codePoint = codePoint * 16 + static_cast<std::uint32_t>(hexValue(text_[at_++]));
                ++digits;
            }
            // A high surrogate may be followed by its low half: "\UD83D\UDCBE".
            if (codePoint >= 0xD800 && codePoint <= 0xDBFF && text_.substr(at_, 2).size() == 2 &&
                text_[at_] == '\\' && (text_.substr(at_ + 1, 1) == "u" || text_.substr(at_ + 1, 1) == "U")) {
                std::uint32_t low = 0;
                std::size_t k = at_ + 2;
                for (; k < at_ + 6 && k < text_.size() && hexValue(text_[k]) >= 0; ++k) {
                    low = low * 16 + static_cast<std::uint32_t>(hexValue(text_[k]));
                }
                if (k == at_ + 6 && low >= 0xDC00 && low <= 0xDFFF) {
                    at_ = k;
                    appendUtf8(out, 0x10000 + ((codePoint - 0xD800) << 10) + (low - 0xDC00));
                    return;
                }
            }
            if (digits == 0 || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
                out += "\xEF\xBF\xBD";  // replacement character: never emit broken UTF-8
            } else {
                appendUtf8(out, codePoint);
            }
            return;
        }
        default: out += c;  // \" \\ \' and anything else stand for themselves
    }
}

}  // namespace velmora
