#include "apps/LaunchServicesManager.h"

#include <utility>

#include "apps/BundleSearch.h"
#include "apps/LocalizedText.h"
#include "apps/RelativeDateText.h"

namespace velmora {

namespace {

// The program ships one localization; it is the first preferred one.
constexpr const char* kPreferredLocalization = "en";

const std::vector<std::string>& rebuildArguments() {
    static const std::vector<std::string> arguments = {"-r", "-domain", "local", "-domain", "system", "-domain", "user"};
    return arguments;
}

std::string joined(const std::vector<std::string>& parts) {
    std::string out;
    for (const auto& part : parts) out += (out.empty() ? "" : " ") + part;
    return out;
}

// Runs `request` on a global utility queue and hands the result to `then` on
// the main thread, while the manager still exists.
template <typename Then>
void runOffMain(const Platform& platform, std::weak_ptr<LaunchServicesManager> weak, RunSpec request, Then then) {
    std::weak_ptr<Scheduler> scheduler = platform.scheduler;
    platform.scheduler->asyncGlobal(
        QualityOfService::utility,
        [weak = std::move(weak), scheduler, launcher = platform.processes, request = std::move(request),
         then = std::move(then)]() mutable {
            RunResult result = launcher->run(request);
            auto main = scheduler.lock();
            if (!main) return;
            main->asyncMain([weak = std::move(weak), result = std::move(result), then = std::move(then)]() mutable {
                if (auto self = weak.lock()) then(*self, result);
            });
        });
}

}  // namespace

std::shared_ptr<LaunchServicesManager> LaunchServicesManager::create(Platform platform) {
    return std::shared_ptr<LaunchServicesManager>(new LaunchServicesManager(std::move(platform)));
}

LaunchServicesManager::LaunchServicesManager(Platform platform) : platform_(std::move(platform)) {
    loadLastRebuildDate();
}

std::string LaunchServicesManager::text(const std::string& key, const std::vector<FormatArgument>& arguments) const {
    return localizedText(*platform_.strings, key, arguments);
}

void LaunchServicesManager::afterDelay(double seconds, std::function<void(LaunchServicesManager&)> step) {
    platform_.scheduler->asyncMainAfter(seconds, [weak = weak_from_this(), step = std::move(step)] {
        if (auto self = weak.lock()) step(*self);
    });
}

// --- Registration -----------------------------------------------------------

void LaunchServicesManager::scanAppsOnDisk(const DiskInfo& disk, BundlesCompletion completion) {
    // A partitioned whole disk has an empty mount point; its applications
    // are on the volumes of its partitions.
    const std::vector<std::string> volumes = disk.mountPoint && !disk.mountPoint->empty()
                                                 ? std::vector<std::string>{*disk.mountPoint}
                                                 : disk.volumeMountPoints;
    if (volumes.empty()) {
        completion({});
        return;
    }
    searchOffMain(
        [volumes](const BundleSearch& search) {
            std::vector<std::string> found;
            for (const auto& volume : volumes) {
                std::vector<std::string> more = search.scanVolume(volume);
                found.insert(found.end(), more.begin(), more.end());
            }
            return found;
        },
        std::move(completion));
}

void LaunchServicesManager::findAppsInDirectory(const std::string& path, BundlesCompletion completion) {
    searchOffMain([path](const BundleSearch& search) { return search.findAppsInDirectory(path); }, std::move(completion));
}

// A large volume takes minutes to walk: never on the main thread.
void LaunchServicesManager::searchOffMain(std::function<std::vector<std::string>(const BundleSearch&)> search,
                                          BundlesCompletion completion) {
    std::weak_ptr<Scheduler> scheduler = platform_.scheduler;
    platform_.scheduler->asyncGlobal(
        QualityOfService::utility,
        [weak = weak_from_this(), scheduler, searcher = BundleSearch(platform_.diagnostics, platform_.strings),
         search = std::move(search), completion = std::move(completion)]() mutable {
            std::vector<std::string> bundles = search(searcher);
            auto main = scheduler.lock();
            if (!main) return;
            main->asyncMain([weak, bundles = std::move(bundles), completion = std::move(completion)]() mutable {
                if (weak.lock()) completion(std::move(bundles));
            });
        });
}

void LaunchServicesManager::registerAppsOnDisk(std::vector<std::string> apps, Completion completion) {
    rebuildStatus.set(text("registering_applications", {static_cast<long long>(apps.size())}));
    registerNext(std::make_shared<std::vector<std::string>>(std::move(apps)), 0, std::move(completion));
}

void LaunchServicesManager::registerNext(std::shared_ptr<std::vector<std::string>> apps, std::size_t index,
                                         Completion completion) {
    if (index == apps->size()) {
        platform_.diagnostics->line("✅ " + std::to_string(apps->size()) + " uygulama Launch Services'e kaydedildi");
        if (completion) completion();
        return;
    }
    executeLSRegisterCommand({"-f", (*apps)[index]},
                             [weak = weak_from_this(), apps, index, completion = std::move(completion)](bool) mutable {
                                 if (auto self = weak.lock()) self->registerNext(apps, index + 1, std::move(completion));
                             });
}

void LaunchServicesManager::executeLSRegisterCommand(std::vector<std::string> arguments, ResultCompletion completion) {
    RunSpec request;
    request.program = lsRegisterPath;
    request.arguments = arguments;
    request.output = OutputWiring::inherit;
    request.error = ErrorWiring::pipe;
    const bool rebuild = !arguments.empty() && arguments.front() == "-r";
    request.deadlineSeconds = rebuild ? rebuildDeadlineSeconds : registrationDeadlineSeconds;
    runOffMain(platform_, weak_from_this(), std::move(request),
               [arguments = std::move(arguments), completion = std::move(completion)](LaunchServicesManager& self,
                                                                                      const RunResult& result) {
                   Diagnostics& out = *self.platform_.diagnostics;
                   if (result.outcome == RunResult::Outcome::startFailed) {
                       out.line("❌ " + self.text("lsregister_execution_failed", {result.errorDescription}));
                   } else if (!result.succeeded()) {
                       // A run cut off at its deadline has no exit status to
                       // explain it; the launcher's reason stands in.
                       std::optional<std::string> errorText =
                           result.outcome == RunResult::Outcome::exited || result.outcome == RunResult::Outcome::signaled
                               ? decodeUTF8(result.errorOutput)
                               : std::optional<std::string>(result.errorDescription);
                       out.line("❌ " + self.text("lsregister_error", {errorText.value_or("Bilinmeyen hata")}));
                   } else {
                       out.line("✅ " + self.text("lsregister_success", {joined(arguments)}));
                   }
                   if (completion) completion(result.succeeded());
               });
}

// --- Rebuild flows ----------------------------------------------------------

void LaunchServicesManager::rebuildLaunchServicesDatabase(ResultCompletion completion) {
    isRebuilding.set(true);
    rebuildStatus.set(text("launch_services_rebuilding"));
    platform_.diagnostics->line("🔄 " + text("launch_services_rebuild_started"));
    executeLSRegisterCommand(rebuildArguments(), [weak = weak_from_this(), completion = std::move(completion)](bool ok) mutable {
        auto self = weak.lock();
        if (!self) return;
        if (!ok) {
            self->finishRebuild(false, std::nullopt, std::move(completion));
            return;
        }
        self->afterDelay(finderRestartDelaySeconds, [completion = std::move(completion)](LaunchServicesManager& manager) mutable {
            manager.restartThenRefresh([weak = manager.weak_from_this(), completion = std::move(completion)]() mutable {
                if (auto again = weak.lock()) again->finishRebuild(true, std::nullopt, std::move(completion));
            });
        });
    });
}

void LaunchServicesManager::rebuildForDisk(const DiskInfo& disk, ResultCompletion completion) {
    const std::string name = disk.name;
    isRebuilding.set(true);
    rebuildStatus.set(text("updating_associations_for_disk", {name}));
    platform_.diagnostics->line("🔄 " + text("disk_rebuild_started", {name}));
    scanAppsOnDisk(disk, [weak = weak_from_this(), name, completion = std::move(completion)](std::vector<std::string> apps) mutable {
        auto self = weak.lock();
        if (!self) return;
        self->platform_.diagnostics->line("📱 " + name + " diskinde " + std::to_string(apps.size()) + " uygulama bulundu");
        self->executeLSRegisterCommand(
            rebuildArguments(), [weak, name, apps = std::move(apps), completion = std::move(completion)](bool ok) mutable {
                auto manager = weak.lock();
                if (!manager) return;
                if (!ok) {
                    manager->finishRebuild(false, name, std::move(completion));
                    return;
                }
                manager->afterDelay(finderRestartDelaySeconds, [name, apps = std::move(apps), completion = std::move(completion)](
                                                                   LaunchServicesManager& m) mutable {
                    m.restartThenRefresh([weak = m.weak_from_this(), name, apps = std::move(apps),
                                          completion = std::move(completion)]() mutable {
                        auto again = weak.lock();
                        if (!again) return;
                        if (apps.empty()) {
                            again->finishRebuild(true, name, std::move(completion));
                            return;
                        }
                        again->registerAppsOnDisk(std::move(apps), [weak, name, completion = std::move(completion)]() mutable {
                            if (auto last = weak.lock()) last->finishRebuild(true, name, std::move(completion));
                        });
                    });
                });
            });
    });
}

void LaunchServicesManager::restartThenRefresh(Completion completion) {
    restartFinder([weak = weak_from_this(), completion = std::move(completion)]() mutable {
        if (auto self = weak.lock()) self->refreshDock(std::move(completion));
    });
}

void LaunchServicesManager::finishRebuild(bool succeeded, const std::optional<std::string>& diskName,
                                          ResultCompletion completion) {
    const bool forDisk = diskName.has_value();
    const std::vector<FormatArgument> arguments = forDisk ? std::vector<FormatArgument>{*diskName} : std::vector<FormatArgument>{};
    if (succeeded) {
        lastRebuildDate.set(platform_.scheduler->now());
        saveLastRebuildDate();
        rebuildStatus.set("✅ " + text(forDisk ? "rebuild_completed_for_disk" : "rebuild_completed", arguments));
        platform_.diagnostics->line("✅ " + text(forDisk ? "disk_rebuild_success" : "launch_services_rebuild_success", arguments));
    } else {
        rebuildStatus.set("❌ " + text(forDisk ? "rebuild_failed_for_disk" : "rebuild_failed", arguments));
        platform_.diagnostics->line("❌ " + text(forDisk ? "disk_rebuild_error" : "launch_services_rebuild_error", arguments));
    }
    afterDelay(statusHoldSeconds, [](LaunchServicesManager& self) {
        self.isRebuilding.set(false);
        self.rebuildStatus.set("");
    });
    if (completion) completion(succeeded);
}

// --- Finder and Dock --------------------------------------------------------

void LaunchServicesManager::restartFinder(Completion completion) {
    rebuildStatus.set(text("finder_restarting"));
    RunSpec request;
    request.program = "/usr/bin/killall";
    request.arguments = {"Finder"};
    runOffMain(platform_, weak_from_this(), std::move(request),
               [completion = std::move(completion)](LaunchServicesManager& self, const RunResult& result) mutable {
                   Diagnostics& out = *self.platform_.diagnostics;
                   if (!result.started()) {
                       out.line("❌ " + self.text("finder_restart_error", {result.errorDescription}));
                       if (completion) completion();
                   } else if (result.succeeded()) {
                       out.line("✅ " + self.text("finder_restart_success"));
                       self.afterDelay(finderSettleSeconds, [completion = std::move(completion)](LaunchServicesManager&) {
                           if (completion) completion();
                       });
                   } else {
                       out.line("⚠️ " + self.text("finder_restart_completed"));
                       if (completion) completion();
                   }
               });
}

void LaunchServicesManager::refreshDock(Completion completion) {
    RunSpec request;
    request.program = "/usr/bin/killall";
    request.arguments = {"Dock"};
    runOffMain(platform_, weak_from_this(), std::move(request),
               [completion = std::move(completion)](LaunchServicesManager& self, const RunResult& result) {
                   Diagnostics& out = *self.platform_.diagnostics;
                   if (result.started()) {
                       out.line("🔄 Dock yenilendi");
                   } else {
                       out.line("❌ " + self.text("dock_refresh_error", {result.errorDescription}));
                   }
                   if (completion) completion();
               });
}

// --- Summary texts and persistence -----------------------------------------

std::string LaunchServicesManager::statusMessage() const {
    if (isRebuilding.get()) return rebuildStatus.get();
    if (!lastRebuildDate.get()) return text("no_update_yet");
    return text("last_update") + ": " + timeSinceLastRebuild();
}

std::string LaunchServicesManager::timeSinceLastRebuild() const {
    const auto last = lastRebuildDate.get();
    if (!last) return text("never_rebuilt");
    return RelativeDateText::format(*last, platform_.scheduler->now(), kPreferredLocalization);
}

bool LaunchServicesManager::isRebuildNeeded() const {
    const auto last = lastRebuildDate.get();
    return !last || secondsBetween(*last, platform_.scheduler->now()) > rebuildNeededAfterSeconds;
}

void LaunchServicesManager::saveLastRebuildDate() {
    if (const auto last = lastRebuildDate.get()) platform_.defaults->setDate(lastRebuildDateKey, *last);
}

void LaunchServicesManager::loadLastRebuildDate() { lastRebuildDate.set(platform_.defaults->dateValue(lastRebuildDateKey)); }

}  // namespace velmora
