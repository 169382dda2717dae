#pragma once
// AppleScript in process through NSAppleScript: a script that cannot be made
// is reported as such, a failed run as its error dictionary's number and
// description, a result as its descriptor's string and boolean values.
#include <mutex>

#include "platform/AppleScript.h"

namespace velmora::mac {

class MacAppleScriptRunner final : public AppleScriptRunner {
public:
    // Any thread; one script at a time.
    AppleScriptOutcome execute(const std::string& source) override;

private:
    std::mutex running_;
};

}  // namespace velmora::mac
