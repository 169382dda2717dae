#pragma once
// A stabilizer on virtual time with scripted tools: diskutil answers built
// from disk descriptions, sequenced answers for repeated scripts, and a
// teardown that ends the watchdog (which otherwise keeps the stabilizer, and
// through it the scheduler, alive).
#include <memory>
#include <string>
#include <vector>

#include "foundation/process/Script.h"
#include "stabilizer/AutomaticUSBStabilizer.h"
#include "support/DiskPlists.h"
#include "support/TestPlatform.h"

namespace velmora::testing {

struct StabilizerHarness {
    TestPlatform tp;
    std::shared_ptr<AutomaticUSBStabilizer> stabilizer;

    ~StabilizerHarness() { end(); }

    void start() { stabilizer = AutomaticUSBStabilizer::create(tp.platform()); }
    void end() {
        if (!stabilizer) return;
        stabilizer->endWatchdog();
        stabilizer.reset();
    }

    // From now on diskutil lists exactly these disks.
    void attach(const std::vector<DiskPlistFields>& disks) {
        std::vector<std::string> ids;
        for (const auto& disk : disks) {
            ids.push_back(disk.id);
            tp.processes->onCommand("/usr/sbin/diskutil", {"info", "-plist", disk.id},
                                    ScriptedProcessLauncher::exited(0, diskInfoPlist(disk)));
        }
        tp.processes->onCommand("/usr/sbin/diskutil", {"list", "-plist"},
                                ScriptedProcessLauncher::exited(0, diskListPlist(ids)));
    }

    // Shell runs whose script contains `fragment` get these outputs in turn,
    // then the last one again.
    void answerInTurn(const std::string& fragment, std::vector<std::string> outputs) {
        auto remaining = std::make_shared<std::vector<std::string>>(std::move(outputs));
        auto index = std::make_shared<std::size_t>(0);
        tp.processes->on(
            [fragment](const RunSpec& request) {
                return request.arguments.size() == 2 && request.arguments[0] == "-c" &&
                       request.arguments[1].find(fragment) != std::string::npos;
            },
            [remaining, index](const RunSpec&) {
                std::size_t i = std::min(*index, remaining->size() - 1);
                ++*index;
                return ScriptedProcessLauncher::exited(0, (*remaining)[i]);
            });
    }

    std::size_t logged(const std::string& line) const { return tp.diagnostics->count(line); }
    std::size_t scriptsWith(const std::string& fragment) const {
        return tp.processes->countScriptsContaining(fragment);
    }
    // The script texts, in order, that contain `fragment`.
    std::vector<std::string> scriptsContaining(const std::string& fragment) const {
        std::vector<std::string> found;
        for (const auto& script : tp.processes->scripts()) {
            if (script.find(fragment) != std::string::npos) found.push_back(script);
        }
        return found;
    }
    // Index of the first log line equal to `line` (lines().size() if none).
    std::size_t logIndex(const std::string& line) const {
        auto lines = tp.diagnostics->lines();
        std::size_t i = 0;
        while (i < lines.size() && lines[i] != line) ++i;
        return i;
    }
};

inline DiskPlistFields usbDisk(std::string id, std::string mediaName, std::optional<std::string> mountPoint = {}) {
    DiskPlistFields disk = DiskPlistFields::usbDisk(std::move(id), "VOLUME", std::move(mountPoint));
    disk.mediaName = std::move(mediaName);
    return disk;
}

}  // namespace velmora::testing
