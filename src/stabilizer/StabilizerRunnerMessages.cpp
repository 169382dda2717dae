#include "stabilizer/StabilizerRunnerMessages.h"

namespace velmora {

const SudoRunnerMessages& stabilizerScriptMessages() {
    static const SudoRunnerMessages messages{
        "⚠️ Sudo command skipped for security: operation requires user authorization",
        "⚠️ Non-critical operation skipped: "};
    return messages;
}

const SudoRunnerMessages& stabilizerOutputMessages() {
    static const SudoRunnerMessages messages{"⚠️ Sudo command skipped for security",
                                             "⚠️ Non-critical operation failed: "};
    return messages;
}

}  // namespace velmora
