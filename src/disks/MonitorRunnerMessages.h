#pragma once
// The disk monitor's own messages for the sudo-rule runners: one set for the
// captured-output runner (the log check) and one for its recovery and
// stabilization scripts.
#include "foundation/process/ShellRunner.h"

namespace velmora {

const SudoRunnerMessages& monitorOutputMessages();
const SudoRunnerMessages& monitorStabilizerMessages();

}  // namespace velmora
