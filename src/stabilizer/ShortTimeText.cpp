#include "stabilizer/ShortTimeText.h"

#include <ctime>

namespace velmora {

std::string shortTimeText(Date date) {
    std::time_t seconds = Clock::to_time_t(date);
    std::tm local{};
    if (localtime_r(&seconds, &local) == nullptr) return "";
    char text[16];
    std::size_t length = std::strftime(text, sizeof text, "%H:%M", &local);
    return std::string(text, length);
}

}  // namespace velmora
