#pragma once
// The program's command line.
#include <optional>
#include <string>
#include <variant>

namespace velmora {

struct LaunchOptions {
    std::optional<std::string> machine;     // the simulated Mac's folder
    std::optional<std::string> bundlePath;  // the bundle the program runs from
    std::optional<double> seconds;          // quit after this long
    // No window even where a display is: the delegate's group and one window
    // model, as if the scene's window were open.
    bool headless = false;
};

struct LaunchUsage {
    int status = 0;  // 0 for --help, 2 for a command line that cannot be used
};

// `machine` starts as $VELMORA_MACHINE when that is set and not empty.
std::variant<LaunchOptions, LaunchUsage> parseLaunchOptions(int argc, const char* const* argv);
std::string launchUsageText();

}  // namespace velmora
