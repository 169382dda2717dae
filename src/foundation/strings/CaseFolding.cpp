#include "foundation/strings/CaseFolding.h"

#include <unicode/uchar.h>
#include <unicode/unistr.h>

namespace velmora {

std::string caseFolded(std::string_view text) {
    icu::UnicodeString unicode =
        icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
    unicode.foldCase(U_FOLD_CASE_DEFAULT);
    std::string out;
    unicode.toUTF8String(out);
    return out;
}

}  // namespace velmora
