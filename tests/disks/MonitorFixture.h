#pragma once
// A disk monitor on virtual time with a scripted diskutil, recording its
// callbacks as "+id" (connected), "-id" (disconnected), "!id" (unstable) and
// "refreshed".
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "FakeDiskutil.h"
#include "disks/DiskMonitor.h"
#include "support/TestPlatform.h"

namespace velmora::testing {

struct MonitorFixture : ::testing::Test {
    TestPlatform tp;
    FakeDiskutil diskutil{*tp.processes};
    std::shared_ptr<DiskMonitor> monitor = DiskMonitor::create(tp.platform());
    std::vector<std::string> events;

    MonitorFixture() {
        monitor->onDiskConnected = [this](const DiskInfo& d) { events.push_back("+" + d.id); };
        monitor->onDiskDisconnected = [this](const DiskInfo& d) { events.push_back("-" + d.id); };
        monitor->onUSBConnectionUnstable = [this](const DiskInfo& d) { events.push_back("!" + d.id); };
        monitor->onRefreshCompleted = [this] { events.push_back("refreshed"); };
    }

    static DiskPlistFields usb(const std::string& id, const std::string& name) {
        return DiskPlistFields::usbDisk(id, name, "/Volumes/" + name);
    }
    std::size_t listings() const { return countDiskutil("list"); }
    std::size_t countDiskutil(const std::string& verb) const {
        std::size_t n = 0;
        for (const auto& run : tp.processes->runsOf("/usr/sbin/diskutil"))
            if (!run.arguments.empty() && run.arguments[0] == verb) ++n;
        return n;
    }
    std::size_t statusQueries() const {
        std::size_t n = 0;
        for (const auto& run : tp.processes->runsOf("/usr/sbin/diskutil"))
            if (run.arguments.size() == 2 && run.arguments[0] == "info") ++n;
        return n;
    }
    std::vector<std::string> ids() const {
        std::vector<std::string> out;
        for (const auto& d : monitor->connectedDisks.get()) out.push_back(d.id);
        return out;
    }
    // Index of the first line equal to `text`, or -1.
    long lineIndex(const std::string& text) const {
        const auto lines = tp.diagnostics->lines();
        for (std::size_t i = 0; i < lines.size(); ++i)
            if (lines[i] == text) return static_cast<long>(i);
        return -1;
    }
};

}  // namespace velmora::testing
