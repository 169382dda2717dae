#include "platform/AppleScriptSource.h"

namespace velmora {

AppleScriptSource& AppleScriptSource::code(std::string_view text) {
    text_ += text;
    return *this;
}

AppleScriptSource& AppleScriptSource::value(std::string_view text) {
    text_ += literal(text);
    return *this;
}

std::string AppleScriptSource::text() const { return text_; }

std::string AppleScriptSource::literal(std::string_view value) {
    std::string quoted;
    quoted.reserve(value.size() + 2);
    quoted.push_back('"');
    for (char c : value) {
        if (c == '\\' || c == '"') quoted.push_back('\\');
        quoted.push_back(c);
    }
    quoted.push_back('"');
    return quoted;
}

}  // namespace velmora
