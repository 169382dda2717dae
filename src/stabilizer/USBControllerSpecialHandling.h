#pragma once
// Which power-management script family a known problem controller gets.

namespace velmora {

enum class USBControllerSpecialHandling { realtekRTL9210B, asmediaGeneric, jmicronGeneric, generic };

}  // namespace velmora
