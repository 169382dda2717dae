// The program: picks the platform it runs against and runs the application
// on it until the terminate action (Quit, SIGINT, SIGTERM or --seconds), with
// a window where a display is and --headless was not asked for.
#include <iostream>
#include <memory>
#include <string>
#include <variant>

#include "app/Frontend.h"
#include "history/store/HistoryCommand.h"
#include "host/HostPlatform.h"
#include "host/MainLoopReport.h"
#include "host/WindowProgram.h"
#include "app/root/LaunchOptions.h"
#include "app/root/StopSignals.h"
#include "app/root/VelmoraApp.h"
#include "foundation/diagnostics/Diagnostics.h"
#include "foundation/dispatch/RealScheduler.h"

namespace velmora {
namespace {

int historyCommand(int argc, const char* const* argv) {
    const auto parsed = parseHistoryCommand(argc, argv);
    if (const auto* usage = std::get_if<HistoryCommandUsage>(&parsed)) {
        if (!usage->problem.empty()) std::cerr << "velmora history: " << usage->problem << "\n";
        (usage->status == 0 ? std::cout : std::cerr) << historyUsageText();
        return usage->status;
    }
    const auto& options = std::get<HistoryCommandOptions>(parsed);
    const auto file = hostHistoryFile(options.machine, std::cerr);
    if (!file) return 1;
    return runHistoryExport(options, *file, std::cout, std::cerr);
}

}  // namespace
}  // namespace velmora

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "history") return velmora::historyCommand(argc - 2, argv + 2);
    const auto parsed = velmora::parseLaunchOptions(argc, argv);
    if (const auto* usage = std::get_if<velmora::LaunchUsage>(&parsed)) {
        std::cout << velmora::launchUsageText();
        return usage->status;
    }
    const auto& options = std::get<velmora::LaunchOptions>(parsed);
    std::string noWindow;
#ifdef VELMORA_WINDOW_PROGRAM
    // Before any thread, signal mask or file: the window program starts afresh.
    if (!options.headless) {
        noWindow = velmora::missingDisplay();
        if (noWindow.empty()) noWindow = velmora::handOverToWindowProgram(VELMORA_WINDOW_PROGRAM, argv);
    }
#endif

    velmora::StopSignals signals;  // before any thread starts
    auto scheduler = velmora::RealScheduler::create();
    auto diagnostics = std::make_shared<velmora::StdoutDiagnostics>();
    const auto platform = velmora::makeHostPlatform(options, scheduler, diagnostics);
    if (!platform) {
        std::cout << velmora::launchUsageText();
        return 2;
    }
    std::shared_ptr<velmora::Frontend> frontend;
    if (!options.headless) {
        std::string whyNot = noWindow;
        if (whyNot.empty()) frontend = velmora::makeWindowFrontend(argc, argv, scheduler, whyNot);
        if (!frontend) diagnostics->line("🖥️ No window, running headless: " + whyNot);
    }
    if (!frontend) frontend = velmora::makeHeadlessFrontend(scheduler);
    const velmora::MainLoopReport mainLoopReport(scheduler);
    const int status = velmora::VelmoraApp::create(*platform, scheduler, velmora::mainWindowModels(),
                                                   std::make_shared<velmora::PosixProcessConsole>(), std::move(frontend))
                           ->run(options, signals);
    mainLoopReport.say(*diagnostics);
    return status;
}
