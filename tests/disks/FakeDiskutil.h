#pragma once
// A scripted diskutil over a set of plugged disks: answers `list -plist`,
// `info -plist ID` and `info /dev/ID` from the current set, so a test plugs and
// unplugs disks between scans. Other diskutil verbs fall through to the
// launcher's other rules.
#include <algorithm>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "support/DiskPlists.h"
#include "support/ScriptedProcessLauncher.h"

namespace velmora::testing {

class FakeDiskutil {
public:
    explicit FakeDiskutil(ScriptedProcessLauncher& launcher) : state_(std::make_shared<State>()) {
        auto state = state_;
        launcher.on(
            [](const RunSpec& request) {
                return request.program == "/usr/sbin/diskutil" && !request.arguments.empty() &&
                       (request.arguments[0] == "list" || request.arguments[0] == "info");
            },
            [state](const RunSpec& request) { return state->answer(request); });
    }

    void plug(const DiskPlistFields& disk, std::string statusText = "   Mounted: Yes\n") {
        std::lock_guard lock(state_->mutex);
        unplugLocked(disk.id);
        state_->disks.push_back({disk, std::move(statusText)});
    }
    void unplug(const std::string& id) {
        std::lock_guard lock(state_->mutex);
        unplugLocked(id);
    }
    // While set, `list -plist` cannot be started.
    void failListing(bool fail) {
        std::lock_guard lock(state_->mutex);
        state_->listingFails = fail;
    }

private:
    struct Plugged {
        DiskPlistFields fields;
        std::string statusText;
    };
    struct State {
        std::mutex mutex;
        std::vector<Plugged> disks;
        bool listingFails = false;

        RunResult answer(const RunSpec& request) {
            std::lock_guard lock(mutex);
            const auto& args = request.arguments;
            if (args[0] == "list") {
                if (listingFails) return ScriptedProcessLauncher::startFailure("diskutil could not be started");
                std::vector<std::string> ids;
                for (const auto& d : disks) ids.push_back(d.fields.id);
                return ScriptedProcessLauncher::exited(0, diskListPlist(ids));
            }
            if (args.size() == 3 && args[1] == "-plist") {
                for (const auto& d : disks)
                    if (d.fields.id == args[2]) return ScriptedProcessLauncher::exited(0, diskInfoPlist(d.fields));
                return ScriptedProcessLauncher::exited(1, couldNotFind(args[2]));
            }
            if (args.size() == 2) {
                for (const auto& d : disks)
                    if ("/dev/" + d.fields.id == args[1]) return ScriptedProcessLauncher::exited(0, d.statusText);
                return ScriptedProcessLauncher::exited(1, "Could not find disk: " + args[1] + "\n");
            }
            return ScriptedProcessLauncher::exited(1);
        }
        static std::string couldNotFind(const std::string& id) {
            return plistDocument("<dict>\n\t<key>Error</key>\n\t<true/>\n\t<key>ErrorMessage</key>\n\t<string>Could not find disk: " +
                                 plistEscaped(id) + "</string>\n</dict>\n");
        }
    };

    void unplugLocked(const std::string& id) {
        auto& d = state_->disks;
        d.erase(std::remove_if(d.begin(), d.end(), [&](const Plugged& p) { return p.fields.id == id; }), d.end());
    }

    std::shared_ptr<State> state_;
};

}  // namespace velmora::testing
