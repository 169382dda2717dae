#include "history/record/DiskIdentity.h"

namespace velmora {

std::string diskIdentity(const std::string& mediaName, std::int64_t size, const std::optional<std::string>& usbSerial) {
    // A serial of blanks is what some bridges report when they have none.
    if (usbSerial && usbSerial->find_first_not_of(" \t0") != std::string::npos) return "usb:" + *usbSerial;
    return "media:" + mediaName + "|" + std::to_string(size);
}

}  // namespace velmora
