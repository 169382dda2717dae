#pragma once
// AppleScript in process through NSAppleScript: a script that cannot be made
// is reported as such, a failed run as its error dictionary's number and
// description, a result as its descriptor's string and boolean values.
#include "platform/AppleScript.h"

namespace velmora::mac {

class MacAppleScriptRunner final : public AppleScriptRunner {
public:
    AppleScriptOutcome execute(const std::string& source) override;
};

}  // namespace velmora::mac
