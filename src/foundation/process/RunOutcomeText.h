#pragma once
// The words for a run that was stopped: its description in the result and
// the diagnostics line. Shared by every launcher, so a deadline reads the
// same however the run was carried out.
#include <cstddef>
#include <string>

#include "foundation/process/ProcessLauncher.h"

namespace velmora {

std::string deadlineDescription(double seconds);
std::string deadlineReport(const RunSpec& request, double seconds);
std::string outputCapDescription(std::size_t capBytes);
std::string outputCapReport(const RunSpec& request, std::size_t capBytes);

}  // namespace velmora
