#include "disks/MonitorRunnerMessages.h"

namespace velmora {

const SudoRunnerMessages& monitorOutputMessages() {
    static const SudoRunnerMessages messages{"⚠️ Sudo command skipped for security",
                                             "⚠️ Non-critical operation failed: "};
    return messages;
}

const SudoRunnerMessages& monitorStabilizerMessages() {
    static const SudoRunnerMessages messages{"⚠️ Sudo stabilization command skipped for security",
                                             "⚠️ Non-critical stabilization operation skipped: "};
    return messages;
}

}  // namespace velmora
