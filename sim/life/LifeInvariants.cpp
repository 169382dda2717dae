#include "sim/life/LifeInvariants.h"

namespace velmora::life {

namespace {

std::string joined(const std::set<std::string>& items) {
    std::string text;
    for (const auto& item : items) text += (text.empty() ? "" : ",") + item;
    return "[" + text + "]";
}

}  // namespace

std::optional<std::string> checkDiskLists(const Observation& o) {
    if (!o.running || !o.quiet) return std::nullopt;
    for (const auto& [monitor, disks] : o.monitors) {
        std::set<std::string> listed;
        for (const auto& disk : disks) {
            if (!listed.insert(disk.id).second) return monitor + " lists " + disk.id + " twice";
        }
        if (listed != o.machineDisks)
            return monitor + " lists " + joined(listed) + " but the machine has " + joined(o.machineDisks);
    }
    return std::nullopt;
}

std::optional<std::string> checkMarksKept(const Observation& o) {
    for (const auto& id : o.marksMade) {
        if (!o.storedMarks.count(id)) return "the mark of " + id + " is gone from the defaults file";
    }
    if (!o.running || !o.quiet) return std::nullopt;
    for (const auto& [monitor, disks] : o.monitors) {
        for (const auto& disk : disks) {
            if (o.storedMarks.count(disk.id) && !disk.marked)
                return monitor + " shows " + disk.id + " unmarked though its mark is stored";
        }
    }
    return std::nullopt;
}

std::optional<std::string> checkDefaultsParse(const Observation& o) {
    if (!o.defaultsParse) return "the defaults file does not parse";
    return std::nullopt;
}

std::optional<std::string> checkAssertionsAfterQuit(const Observation& o) {
    if (o.running || o.assertionsOfOurs == 0) return std::nullopt;
    return std::to_string(o.assertionsOfOurs) + " power assertion(s) of ours held after quit";
}

std::optional<std::string> checkNoBacklog(const Observation& o) {
    if (!o.mainThreadRuns.empty()) return "the main thread ran " + o.mainThreadRuns.front();
    for (const auto& [context, count] : o.pending) {
        if (count > o.pendingBound)
            return context + " has " + std::to_string(count) + " blocks waiting (bound " +
                   std::to_string(o.pendingBound) + ")";
    }
    return std::nullopt;
}

std::optional<std::string> checkHostUntouched(const Observation& o) {
    if (o.canariesPresent.empty()) return std::nullopt;
    return "a script reached the host: " + o.canariesPresent.front() + " exists";
}

const std::vector<Checker>& checkers() {
    static const std::vector<Checker> all = {
        {"disk lists match the machine", checkDiskLists},
        {"marks never lost", checkMarksKept},
        {"defaults file parses", checkDefaultsParse},
        {"no assertion after quit", checkAssertionsAfterQuit},
        {"no backlog, no tool on main", checkNoBacklog},
        {"host untouched", checkHostUntouched},
    };
    return all;
}

}  // namespace velmora::life
