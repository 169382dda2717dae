#pragma once
// Case-insensitive matching the way a user reading the text would expect it:
// full Unicode case folding (ICU), so "XCODE" folds like "Xcode" and the
// ligature "ﬁ" like "fi", while accents still count ("Ü" is not "U").
// Two texts fold alike when they match case-insensitively; a substring test
// is a byte search in the folded forms.
#include <string>
#include <string_view>

namespace velmora {

// The case-folded form of UTF-8 text, as UTF-8. Invalid bytes become U+FFFD.
std::string caseFolded(std::string_view text);

}  // namespace velmora
