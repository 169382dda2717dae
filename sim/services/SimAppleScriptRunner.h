#pragma once
// The simulator's stand-in for AppleScript to "System Events": it answers the
// program's login-item scripts (query names, add with a path and hidden flag,
// delete every, delete one by one, presence by name) from the machine state,
// recognising each by its structure and reading the inserted path or name
// as an AppleScript string literal (`\"` and `\\` escapes decoded), so a
// hostile path arrives as the path it is. A machine that denies automation
// gets error -1743, as the real System Events gives; any other script is a
// syntax error. It does not interpret AppleScript.
#include <memory>

#include "platform/AppleScript.h"
#include "sim/state/Machine.h"

namespace velmora::sim {

class SimAppleScriptRunner final : public AppleScriptRunner {
public:
    static constexpr long kNotAuthorized = -1743;
    static constexpr long kSyntaxError = -2741;

    explicit SimAppleScriptRunner(std::shared_ptr<Machine> machine) : machine_(std::move(machine)) {}
    AppleScriptOutcome execute(const std::string& source) override;

    // The name System Events gives a login item for an application path:
    // the bundle's name without ".app".
    static std::string loginItemName(const std::string& path);

private:
    std::shared_ptr<Machine> machine_;
};

}  // namespace velmora::sim
