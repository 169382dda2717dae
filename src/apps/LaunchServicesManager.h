#pragma once
// Registers the application bundles of a disk with Launch Services and
// rebuilds the Launch Services database, restarting Finder and refreshing the
// Dock afterwards. The state lives on the main thread; each flow is a chain of
// continuations there: waits are timers, and every tool run and the bundle
// search happen on a global utility queue whose result comes back to the main
// thread. A flow whose manager is gone stops quietly.
//
// The flows do not refuse a second start while one runs; the caller decides
// (the window disables its button).
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "disks/DiskInfo.h"
#include "foundation/published/Published.h"
#include "platform/Platform.h"

namespace velmora {

class BundleSearch;

class LaunchServicesManager : public std::enable_shared_from_this<LaunchServicesManager> {
public:
    using Completion = std::function<void()>;
    using ResultCompletion = std::function<void(bool succeeded)>;
    using BundlesCompletion = std::function<void(std::vector<std::string> bundles)>;

    static constexpr const char* lastRebuildDateKey = "LastLaunchServicesRebuildDate";
    static constexpr double rebuildNeededAfterSeconds = 604800.0;
    static constexpr double finderRestartDelaySeconds = 1.0;
    static constexpr double finderSettleSeconds = 2.0;
    static constexpr double statusHoldSeconds = 3.0;
    static constexpr double rebuildDeadlineSeconds = 15 * 60.0;
    static constexpr double registrationDeadlineSeconds = 2 * 60.0;

    // Main thread; loads the stored rebuild date.
    static std::shared_ptr<LaunchServicesManager> create(Platform platform);

    Published<bool> isRebuilding{false};
    Published<std::optional<Date>> lastRebuildDate;
    Published<std::string> rebuildStatus;
    const std::string lsRegisterPath =
        "/System/Library/Frameworks/CoreServices.framework/Frameworks/LaunchServices.framework/Support/lsregister";

    // Everything below: main thread; completions are called there.
    void rebuildLaunchServicesDatabase(ResultCompletion completion = {});
    void rebuildForDisk(const DiskInfo& disk, ResultCompletion completion = {});
    void triggerManualRebuild() { rebuildLaunchServicesDatabase(); }
    void triggerRebuildForDisk(const DiskInfo& disk) { rebuildForDisk(disk); }
    void restartFinder(Completion completion = {});
    void refreshDock(Completion completion = {});

    void scanAppsOnDisk(const DiskInfo& disk, BundlesCompletion completion);
    void findAppsInDirectory(const std::string& path, BundlesCompletion completion);
    void registerAppsOnDisk(std::vector<std::string> apps, Completion completion = {});
    void executeLSRegisterCommand(std::vector<std::string> arguments, ResultCompletion completion);

    std::string statusMessage() const;
    std::string timeSinceLastRebuild() const;
    bool isRebuildNeeded() const;
    void saveLastRebuildDate();
    void loadLastRebuildDate();

private:
    explicit LaunchServicesManager(Platform platform);
    std::string text(const std::string& key, const std::vector<FormatArgument>& arguments = {}) const;
    void afterDelay(double seconds, std::function<void(LaunchServicesManager&)> step);
    void searchOffMain(std::function<std::vector<std::string>(const BundleSearch&)> search, BundlesCompletion completion);
    void registerNext(std::shared_ptr<std::vector<std::string>> apps, std::size_t index, Completion completion);
    void finishRebuild(bool succeeded, const std::optional<std::string>& diskName, ResultCompletion completion);
    void restartThenRefresh(Completion completion);

    Platform platform_;
};

}  // namespace velmora
