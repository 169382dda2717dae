#pragma once
// The workspace through NSWorkspace: the running applications as the system
// lists them, and URLs opened by their default handler.
#include "platform/Workspace.h"

namespace velmora::mac {

class MacWorkspace final : public Workspace {
public:
    std::vector<RunningApplication> runningApplications() override;
    bool openURL(const std::string& url) override;
};

}  // namespace velmora::mac
