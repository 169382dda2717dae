#include "performance/OptimizerCommands.h"

#include <utility>

#include "performance/IostatOutput.h"

namespace velmora {

namespace {

RunSpec runOf(std::string program, std::vector<std::string> arguments) {
    RunSpec request;
    request.program = std::move(program);
    request.arguments = std::move(arguments);
    return request;
}

}  // namespace

std::string failureOf(const RunResult& result) {
    if (result.outcome == RunResult::Outcome::exited) return "exit status " + std::to_string(result.exitStatus);
    if (result.outcome == RunResult::Outcome::signaled) return "signal " + std::to_string(result.signal);
    return result.errorDescription;
}

OptimizerCommands::OptimizerCommands(Platform platform) : platform_(std::move(platform)) {}

void OptimizerCommands::line(const std::string& text) const {
    std::lock_guard lock(lineMutex_);
    if (working_ == generation_) platform_.diagnostics->line(text);
}

bool OptimizerCommands::current() const {
    std::lock_guard lock(lineMutex_);
    return working_ == generation_;
}

std::uint64_t OptimizerCommands::generation() const {
    std::lock_guard lock(lineMutex_);
    return generation_;
}

void OptimizerCommands::beginWork(std::uint64_t generation) const { working_ = generation; }

void OptimizerCommands::stopWork(const std::string& stopLine) {
    std::lock_guard lock(lineMutex_);
    ++generation_;
    platform_.diagnostics->line(stopLine);
}

// Work of an earlier generation starts no tool; it sees a run that could
// not start, whose lines are not printed either.
RunResult OptimizerCommands::run(const RunSpec& request) const {
    if (!current()) return RunResult{};
    return platform_.processes->run(request);
}

void OptimizerCommands::logError(const std::string& message, const std::string& label) const {
    line("❌ " + label + " hatası: " + message);
}

std::optional<PerformanceMetrics> OptimizerCommands::measureDiskPerformance(const DiskInfo& disk) const {
    // Naming the disk makes iostat show it even when it would not be among
    // the few it picks itself (or fail when it has no statistics); two
    // reports one second apart, because the first is the average since boot.
    RunSpec request = runOf("/usr/sbin/iostat", {"-d", "-c", "2", "-w", "1", disk.id});
    request.output = OutputWiring::pipe;
    const RunResult result = run(request);
    if (!result.started()) {
        line("Performans ölçümü hatası: " + result.errorDescription);
        return PerformanceMetrics{};
    }
    return parseIostatOutput(decodeUTF8(result.output).value_or(""), disk.id);
}

void OptimizerCommands::runStep(const std::string& program, const std::vector<std::string>& arguments,
                                const DiskInfo& disk, const std::string& label) const {
    const RunResult result = run(runOf(program, arguments));
    if (result.succeeded()) {
        line("✅ " + label + ": " + disk.name);
    } else {
        logError(failureOf(result), label);
    }
}

void OptimizerCommands::remount(const DiskInfo& disk, const std::string& options, const std::string& label) const {
    if (!disk.hasMountPoint()) return;
    runStep("/sbin/mount", {"-o", options, *disk.mountPoint}, disk, label);
}

void OptimizerCommands::optimizeHighUtilization(const DiskInfo& disk) const {
    remount(disk, "remount,async", "Yüksek kullanım optimizasyonu");
}

void OptimizerCommands::optimizeReadPerformance(const DiskInfo& disk) const {
    remount(disk, "remount,readahead=1024", "Okuma performansı optimizasyonu");
}

void OptimizerCommands::optimizeWritePerformance(const DiskInfo& disk) const {
    remount(disk, "remount,noatime", "Yazma performansı optimizasyonu");
}

void OptimizerCommands::optimizeDiskCache(const DiskInfo& disk) const {
    runStep("/bin/sync", {}, disk, "Disk cache optimizasyonu");
}

void OptimizerCommands::optimizeDiskIO(const DiskInfo& disk) const {
    runStep("/usr/sbin/purge", {}, disk, "Disk I/O optimizasyonu");
}

void OptimizerCommands::performSystemOptimization() const {
    line("Sistem optimizasyonu başlatıldı");
    clearSystemCache();
    line("Sistem cache optimize edildi");
    optimizeSystemIO();
    line("Sistem optimizasyonu tamamlandı");
}

void OptimizerCommands::clearSystemCache() const {
    // A standard user's purge is refused with a non-zero exit; that counts as
    // not having cleared anything, like a purge that is not there.
    if (run(runOf("/usr/sbin/purge", {})).succeeded()) {
        line("Sistem cache temizlendi");
        return;
    }
    if (run(runOf("/usr/bin/memory_pressure", {"-S", "-s", "2"})).succeeded()) {
        line("Sistem cache temizlendi (alternatif)");
        return;
    }
    line("Sistem cache temizleme mevcut değil");
}

void OptimizerCommands::optimizeSystemIO() const {
    const RunResult result = run(runOf("/usr/sbin/sysctl", {"-w", "kern.maxvnodes=1000000"}));
    if (result.succeeded()) {
        line("Sistem I/O optimize edildi");
    } else if (!result.started()) {
        line("Sistem I/O zaten optimize");
    } else {
        line("⚠️ Sistem I/O optimize edilemedi: " + failureOf(result));
    }
}

void OptimizerCommands::applyAggressivePowerSettings() const {
    RunSpec assertions = runOf("/usr/bin/pmset", {"-g", "assertions"});
    assertions.error = ErrorWiring::nullDevice;
    const RunResult listed = run(assertions);
    if (!listed.started()) {
        line("⚠️ Non-critical power management operation skipped: " + listed.errorDescription);
        return;
    }
    if (!listed.succeeded()) {
        line("⚠️ Power management access olmadığından güç koruması atlandı");
        return;
    }
    // pmset refuses a standard user on standard output; the output is read as
    // well as the status, since its one-shot commands refuse and still exit 0.
    RunSpec disableSleep = runOf("/usr/bin/pmset", {"-b", "disablesleep", "1"});
    disableSleep.output = OutputWiring::pipe;
    disableSleep.error = ErrorWiring::nullDevice;
    const RunResult changed = run(disableSleep);
    if (!changed.started()) {
        line("⚠️ Non-critical power management operation skipped: " + changed.errorDescription);
        return;
    }
    const bool refused = changed.output.find("must be run as root") != std::string::npos;
    line(changed.succeeded() && !refused ? "✅ USB port güç koruması aktif"
                                         : "⚠️ USB port güç koruması authorization gerekli");
}

}  // namespace velmora
