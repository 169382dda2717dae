#include "history/store/HistoryWriter.h"
#include "history/store/ProgramVersion.h"
#include "host/HostPlatform.h"

namespace velmora {

Platform withHistory(Platform platform, const std::string& file) {
    auto history = HistoryWriter::create(platform.scheduler, file, programVersion(), platform.diagnostics);
    history->start();
    platform.historySource = history;
    platform.history = std::move(history);
    return platform;
}

}  // namespace velmora
