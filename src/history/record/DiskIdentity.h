#pragma once
// The name a disk keeps in its history across plugs: the USB serial number
// where one is known, else its media name with its size. The diskN name is
// useless here, as macOS hands out a new one on each plug.
#include <cstdint>
#include <optional>
#include <string>

namespace velmora {

std::string diskIdentity(const std::string& mediaName, std::int64_t size,
                         const std::optional<std::string>& usbSerial = std::nullopt);

}  // namespace velmora
