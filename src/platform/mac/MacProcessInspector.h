#pragma once
// Process facts from the kernel (libproc), with no child process.
#include "platform/ProcessInspector.h"

namespace velmora::mac {

class MacProcessInspector final : public ProcessInspector {
public:
    WorkingDirectoryAnswer workingDirectory(int processIdentifier) override;
    int ownProcessIdentifier() const override;
};

}  // namespace velmora::mac
