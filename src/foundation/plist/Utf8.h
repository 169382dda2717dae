#pragma once
// Strict UTF-8 check: no overlong forms, no surrogates, nothing above U+10FFFF.
// Text from a property list reaches names, paths and shell scripts, so a byte
// sequence that is not text is refused rather than passed along.
#include <string_view>

namespace velmora {

bool isValidUtf8(std::string_view bytes);

}  // namespace velmora
