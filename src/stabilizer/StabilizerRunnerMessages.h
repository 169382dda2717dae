#pragma once
// The stabilizer's own messages for the sudo-rule runners. Its output runner
// speaks exactly like the disk monitor's, but keeps a copy of its own so the
// two owners stay independent.
#include "foundation/process/ShellRunner.h"

namespace velmora {

const SudoRunnerMessages& stabilizerScriptMessages();
const SudoRunnerMessages& stabilizerOutputMessages();

}  // namespace velmora
