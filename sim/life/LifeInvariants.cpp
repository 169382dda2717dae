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
            const auto before = o.listedBeforeMark.find(monitor);
            if (before != o.listedBeforeMark.end() && before->second.count(disk.id)) continue;
            if (o.storedMarks.count(disk.id) && !disk.marked)
                return monitor + " shows " + disk.id + " unmarked though its mark is stored";
        }
    }
    return std::nullopt;
}

std::optional<std::string> checkDefaultsParse(const Observation& o) {
    if (!o.defaultsParse) return "the defaults file does not parse";
    if (!o.afterKill) return std::nullopt;
    for (const auto& key : o.keysBeforeKill) {
        if (!o.defaultsKeys.count(key)) return "the key " + key + " written before the kill -9 is gone";
    }
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

std::optional<std::string> checkResourcesBounded(const Observation& o) {
    if (!o.strayZombies.empty())
        return std::to_string(o.strayZombies.size()) + " zombie child(ren), the first pid " +
               std::to_string(o.strayZombies.front());
    if (o.openDescriptors > o.descriptorBound)
        return std::to_string(o.openDescriptors) + " open descriptors (bound " + std::to_string(o.descriptorBound) + ")";
    if (o.threads > o.threadBound)
        return std::to_string(o.threads) + " threads (bound " + std::to_string(o.threadBound) + ")";
    return std::nullopt;
}

std::optional<std::string> notifiedName(const std::string& title, const std::string& body) {
    auto before = [&body](const std::string& tail) -> std::optional<std::string> {
        if (body.size() <= tail.size() || body.compare(body.size() - tail.size(), tail.size(), tail) != 0)
            return std::nullopt;
        return body.substr(0, body.size() - tail.size());
    };
    if (title == "USB Disk Bağlandı") return before(" başarıyla bağlandı");
    if (title == "USB Disk Ayrıldı") return before(" ayrıldı");
    if (title == "Büyük Uygulama Tespit Edildi") return before(" çalışıyor. USB diskleriniz korunuyor.");
    if (title == "Uyarı") {
        // "N uygulama NAME diskinde çalışıyor"
        const auto named = before(" diskinde çalışıyor");
        const std::string marker = " uygulama ";
        const auto at = named ? named->find(marker) : std::string::npos;
        if (at == std::string::npos) return std::nullopt;
        return named->substr(at + marker.size());
    }
    return std::nullopt;
}

std::optional<std::string> checkNotificationsNameWhatExisted(const Observation& o) {
    for (const auto& [title, body] : o.newNotifications) {
        const auto name = notifiedName(title, body);
        if (name && !o.namesSeen.count(*name)) return "the notification \"" + title + ": " + body + "\" names " + *name + ", which never existed";
    }
    return std::nullopt;
}

std::optional<std::string> checkNoProcessLeft(const Observation& o) {
    if (o.leftProcesses.empty()) return std::nullopt;
    return std::to_string(o.leftProcesses.size()) + " process(es) of the program still running: " + o.leftProcesses.front();
}

std::optional<std::string> checkHistoryKept(const Observation& o) {
    if (o.historyMissing.empty()) return std::nullopt;
    return std::to_string(o.historyMissing.size()) + " event(s) the program acted on missing from its history: " +
           o.historyMissing.front();
}

const std::vector<Checker>& checkers() {
    static const std::vector<Checker> all = {
        {"disk lists match the machine", checkDiskLists},
        {"marks never lost", checkMarksKept},
        {"defaults file parses", checkDefaultsParse},
        {"no assertion after quit", checkAssertionsAfterQuit},
        {"no backlog, no tool on main", checkNoBacklog},
        {"host untouched", checkHostUntouched},
        {"descriptors, threads and children bounded", checkResourcesBounded},
        {"notifications name what existed", checkNotificationsNameWhatExisted},
        {"no process left", checkNoProcessLeft},
        {"history kept", checkHistoryKept},
    };
    return all;
}

}  // namespace velmora::life
