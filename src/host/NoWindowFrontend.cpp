// Builds without Qt (the ThreadSanitizer build) draw no windows.
#include "app/Frontend.h"

namespace velmora {

std::shared_ptr<Frontend> makeWindowFrontend(int&, char**, std::shared_ptr<RealScheduler>, std::string& whyNot) {
    whyNot = "this build has no window (built without Qt)";
    return nullptr;
}

}  // namespace velmora
