#pragma once
// A time of day in the short style the window shows: local "HH:mm".
#include <string>

#include "foundation/Date.h"

namespace velmora {

std::string shortTimeText(Date date);

}  // namespace velmora
