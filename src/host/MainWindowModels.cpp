#include "host/HostPlatform.h"
#include "ui/model/MainWindowModel.h"

namespace velmora {

VelmoraApp::WindowModelFactory mainWindowModels() {
    return [](Platform platform, std::shared_ptr<SharedSystemMonitor> monitor) -> std::shared_ptr<RootView> {
        return MainWindowModel::create(std::move(platform), std::move(monitor));
    };
}

}  // namespace velmora
