#pragma once
// The one place that chooses what the program runs against. On a Mac that is
// the host's own services; on any other host, a simulated Mac in a folder.
// It sits above the application's layers, since it puts them together: the
// platform, the front end without windows, and what each window shows.
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "app/Frontend.h"
#include "app/root/LaunchOptions.h"
#include "app/root/VelmoraApp.h"
#include "platform/Platform.h"

namespace velmora {

// Absent, after a line saying why, when there is nothing to run against.
std::optional<Platform> makeHostPlatform(const LaunchOptions& options, std::shared_ptr<Scheduler> scheduler,
                                         std::shared_ptr<Diagnostics> diagnostics);

// The file this host keeps the disks' history in; absent, after a line on
// `err`, when there is none to name. Nothing is made.
std::optional<std::string> hostHistoryFile(const std::optional<std::string>& machine, std::ostream& err);

// The platform with identical read-only queries shared among its owners.
Platform withSharedQueries(Platform platform);

// The platform with the disks' stability history kept in `file`, its writer started.
Platform withHistory(Platform platform, const std::string& file);

// The front end without windows, on the main loop this host needs.
std::shared_ptr<Frontend> makeHeadlessFrontend(std::shared_ptr<RealScheduler> scheduler);

// What each main window shows: the window model over its own managers.
VelmoraApp::WindowModelFactory mainWindowModels();

}  // namespace velmora
