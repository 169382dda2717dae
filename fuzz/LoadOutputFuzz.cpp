// The top, iostat and kextstat readers take whatever the tools print, process
// names included (any program can name itself): any input must read without
// crashing, and a name found is always a piece of the input.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/KextstatListing.h"
#include "performance/IostatOutput.h"
#include "system/TopSample.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    for (const auto& name : velmora::heavyApplicationsInTop(input)) {
        if (input.find(name) == std::string_view::npos) __builtin_trap();
    }
    velmora::parseIostatOutput(input, "disk4");
    // Listed only when the input holds the identifier at all.
    const std::string_view kext = "com.apple.iokit.IOUSBMassStorageClass";
    if (velmora::kextstatListsBundle(input, kext) && input.find(kext) == std::string_view::npos) __builtin_trap();
    return 0;
}
