#pragma once
// In-process AppleScript (NSAppleScript initWithSource: / executeAndReturnError:).
#include <optional>
#include <string>

namespace velmora {

struct AppleScriptOutcome {
    enum class Kind { couldNotCreate, error, result };
    Kind kind = Kind::couldNotCreate;
    // error
    long errorNumber = 0;             // "NSAppleScriptErrorNumber"
    std::string errorDescription;     // the error dictionary's description
    // result descriptor
    std::optional<std::string> stringValue;
    bool booleanValue = false;
};

class AppleScriptRunner {
public:
    virtual ~AppleScriptRunner() = default;
    virtual AppleScriptOutcome execute(const std::string& source) = 0;
};

}  // namespace velmora
