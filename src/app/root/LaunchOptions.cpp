#include "app/root/LaunchOptions.h"

#include <cmath>
#include <cstdlib>

namespace velmora {

std::string launchUsageText() {
    return "usage: velmora [--headless] [--machine DIR] [--seconds N] [--bundle-path PATH]\n"
           "  --headless     run without windows: the menu-bar delegate and one window model\n"
           "                 (also what happens when no display is there)\n"
           "  --machine DIR  the simulated Mac to run against (default: $VELMORA_MACHINE, else\n"
           "                 $XDG_DATA_HOME/velmora/machine, made on first use)\n"
           "  --bundle-path PATH  the application bundle the program runs from\n"
           "                 (default: DIR/Applications/Velmora.app)\n"
           "  --seconds N    quit after N seconds (default: run until interrupted)\n";
}

std::variant<LaunchOptions, LaunchUsage> parseLaunchOptions(int argc, const char* const* argv) {
    LaunchOptions options;
    if (const char* env = std::getenv("VELMORA_MACHINE"); env && *env) options.machine = env;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--help" || arg == "-h") return LaunchUsage{0};
        // What macOS itself may hand an application bundle: the process
        // serial number from a Finder launch (older systems), and settings in
        // the argument domain ("-NSDocumentRevisionsDebugMode YES" from
        // Xcode, "-AppleLanguages (tr)"), which belong to the user defaults.
        if (arg.rfind("-psn_", 0) == 0) continue;
        if (arg.rfind("-NS", 0) == 0 || arg.rfind("-Apple", 0) == 0) {
            if (hasValue) ++i;
            continue;
        }
        if (arg == "--headless") {
            options.headless = true;
        } else if (arg == "--machine" && hasValue) {
            options.machine = argv[++i];
        } else if (arg == "--bundle-path" && hasValue) {
            options.bundlePath = argv[++i];
        } else if (arg == "--seconds" && hasValue) {
            char* end = nullptr;
            const double value = std::strtod(argv[++i], &end);
            if (end == argv[i] || *end != '\0' || !std::isfinite(value) || value <= 0) return LaunchUsage{2};
            options.seconds = value;
        } else {
            return LaunchUsage{2};
        }
    }
    return options;
}

}  // namespace velmora
