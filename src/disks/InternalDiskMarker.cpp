#include "disks/InternalDiskMarker.h"

#include <utility>

#include "platform/DiskutilQuery.h"

namespace velmora {

namespace {

constexpr const char* mdutilPath = "/usr/bin/mdutil";
constexpr const char* xattrPath = "/usr/bin/xattr";

// How a started run that did not succeed ended: its exit status, or the signal.
std::string endingOf(const RunResult& run) {
    if (run.outcome == RunResult::Outcome::signaled) return "signal " + std::to_string(run.signal);
    return std::to_string(run.exitStatus);
}

}  // namespace

std::shared_ptr<InternalDiskMarker> InternalDiskMarker::create(Platform platform,
                                                               std::shared_ptr<PrivilegedOperations> authorization,
                                                               std::shared_ptr<DiskMonitor> monitor) {
    return std::shared_ptr<InternalDiskMarker>(
        new InternalDiskMarker(std::move(platform), std::move(authorization), std::move(monitor)));
}

InternalDiskMarker::InternalDiskMarker(Platform platform, std::shared_ptr<PrivilegedOperations> authorization,
                                       std::shared_ptr<DiskMonitor> monitor)
    : platform_(std::move(platform)),
      authorization_(std::move(authorization)),
      monitor_(std::move(monitor)),
      queue_(platform_.scheduler->makeSerialQueue("disk.marker", QualityOfService::userInitiated)) {}

void InternalDiskMarker::maskDiskAsInternal(const DiskInfo& disk, Completion completion) {
    Diagnostics& out = *platform_.diagnostics;
    if (!disk.isExternal) {
        out.line("⚠️ " + disk.name + " is already an internal disk");
        if (completion) completion();
        return;
    }
    out.line("🔄 " + disk.name + " being marked as internal disk...");
    // The tool steps run on the marker's queue and the consent steps on the
    // main thread, in the procedure's order. Once started, the procedure
    // always reaches its closing lines: each step holds the marker, so an
    // owner letting go mid-way (a window closing) does not cut it short.
    auto self = shared_from_this();
    queue_->async([self, disk, completion = std::move(completion)] {
        self->enableDiskOwnership(disk);
        self->enableSpotlightIndexing(disk);
        self->platform_.scheduler->asyncMain([self, disk, completion] {
            self->optimizeMountParameters(disk, [self, disk, completion] {
                self->optimizeDiskCache(disk, [self, disk, completion] {
                    self->queue_->async([self, disk, completion] {
                        self->enableFileSystemFeatures(disk);
                        self->platform_.scheduler->asyncMain([self, disk, completion] {
                            self->finish(disk);
                            if (completion) completion();
                        });
                    });
                });
            });
        });
    });
}

void InternalDiskMarker::maskExternalDisksAsInternal(Completion completion) {
    std::vector<DiskInfo> external;
    for (const auto& disk : monitor_->connectedDisks.get()) {
        if (disk.isExternal) external.push_back(disk);
    }
    maskEach(std::move(external), 0, std::move(completion));
}

void InternalDiskMarker::maskEach(std::vector<DiskInfo> disks, std::size_t index, Completion completion) {
    if (index >= disks.size()) {
        if (completion) completion();
        return;
    }
    const DiskInfo disk = disks[index];
    maskDiskAsInternal(disk, [weak = weak_from_this(), disks = std::move(disks), index, completion]() mutable {
        if (auto self = weak.lock()) self->maskEach(std::move(disks), index + 1, std::move(completion));
    });
}

void InternalDiskMarker::enableDiskOwnership(const DiskInfo& disk) {
    Diagnostics& out = *platform_.diagnostics;
    out.line("1️⃣ Configuring disk permissions...");
    const RunResult run = runTool(diskutilPath, {"enableOwnership", disk.path});
    if (!run.started()) {
        out.line("❌ Disk ownership error: " + run.errorDescription);
    } else if (!run.succeeded()) {
        out.line("❌ Disk ownership error: " + endingOf(run));
    } else {
        out.line("✅ Disk ownership enabled: " + disk.name);
    }
}

void InternalDiskMarker::enableSpotlightIndexing(const DiskInfo& disk) {
    Diagnostics& out = *platform_.diagnostics;
    out.line("2️⃣ Enabling Spotlight indexing...");
    if (!disk.mountPoint) return;
    const RunResult enable = runTool(mdutilPath, {"-i", "on", *disk.mountPoint});
    if (!enable.started()) {
        out.line("❌ Spotlight indexing error: " + enable.errorDescription);
        return;
    }
    if (!enable.succeeded()) {
        out.line("❌ Spotlight indexing error: " + endingOf(enable));
        return;
    }
    out.line("✅ Spotlight indexing enabled: " + disk.name);
    const RunResult reindex = runTool(mdutilPath, {"-E", *disk.mountPoint});
    if (!reindex.started()) {
        out.line("❌ Spotlight indexing error: " + reindex.errorDescription);
    } else if (!reindex.succeeded()) {
        out.line("❌ Spotlight indexing error: " + endingOf(reindex));
    } else {
        out.line("🔄 Spotlight reindex started: " + disk.name);
    }
}

void InternalDiskMarker::optimizeMountParameters(const DiskInfo& disk, Completion next) {
    Diagnostics& out = *platform_.diagnostics;
    out.line("3️⃣ Mount parametreleri optimize ediliyor...");
    if (!disk.mountPoint) {
        out.line("ℹ️ Mount point not found, mount optimization skipped: " + disk.name);
        next();
        return;
    }
    if (disk.mountPoint->empty() || *disk.mountPoint == "/") {
        out.line("ℹ️ Invalid mount point, mount optimization skipped: " + disk.name);
        next();
        return;
    }
    const std::string mountPoint = *disk.mountPoint;
    authorization_->mountWithPrivileges(
        mountPoint, "owners,dev,suid,exec,async,noatime",
        [self = shared_from_this(), disk, mountPoint, next = std::move(next)](bool succeeded) {
            if (succeeded) {
                self->platform_.diagnostics->line("✅ Mount parameters set to internal (with authorization): " + disk.name);
                next();
                return;
            }
            self->authorization_->mountWithPrivileges(mountPoint, "owners,async", [self, disk, next](bool basic) {
                self->platform_.diagnostics->line(
                    basic ? "✅ Mount parameters (basic) set to internal (with authorization): " + disk.name
                          : "ℹ️ Mount parameters could not be changed (authorization denied): " + disk.name);
                next();
            });
        });
}

void InternalDiskMarker::optimizeDiskCache(const DiskInfo& disk, Completion next) {
    platform_.diagnostics->line("4️⃣ Optimizing disk cache...");
    authorization_->setSysctl("vfs.generic.always_cache", "1",
                              [self = shared_from_this(), disk, next = std::move(next)](bool succeeded) {
                                  self->platform_.diagnostics->line(
                                      succeeded ? "✅ Disk cache optimized (with authorization): " + disk.name
                                                : "ℹ️ Disk cache optimization skipped (authorization required): " +
                                                      disk.name);
                                  next();
                              });
}

void InternalDiskMarker::enableFileSystemFeatures(const DiskInfo& disk) {
    Diagnostics& out = *platform_.diagnostics;
    out.line("5️⃣ Enabling advanced file system features...");
    if (!disk.mountPoint) {
        out.line("ℹ️ Mount point not found, file system optimization skipped: " + disk.name);
    } else if (!disk.mountPoint->empty() && *disk.mountPoint != "/") {
        const RunResult run = runTool(xattrPath, {"-d", "com.apple.quarantine", *disk.mountPoint});
        if (!run.started()) {
            out.line("ℹ️ Extended attributes cleanup skipped: " + disk.name);
        } else if (run.succeeded()) {
            out.line("✅ Extended attributes cleaned: " + disk.name);
        } else {
            out.line("ℹ️ Quarantine attribute not found: " + disk.name);
        }
    }

    if (!disk.isExternal || disk.path.find("disk0") != std::string::npos) {
        out.line("ℹ️ Journaling skipped for system disk: " + disk.name);
        return;
    }
    const RunResult journal = runTool(diskutilPath, {"enableJournal", disk.path});
    if (!journal.started()) {
        out.line("ℹ️ Journaling setting skipped: " + disk.name);
    } else if (journal.succeeded()) {
        out.line("✅ Journaling aktif: " + disk.name);
    } else {
        out.line("ℹ️ Journaling zaten aktif veya desteklenmiyor: " + disk.name);
    }
}

void InternalDiskMarker::finish(const DiskInfo& disk) {
    platform_.diagnostics->line("✅ " + disk.name + " successfully configured as internal disk!");
    platform_.diagnostics->line("🎯 Disk will now be recognized by macOS as an internal disk!");
}

RunResult InternalDiskMarker::runTool(const char* program, std::vector<std::string> arguments) const {
    RunSpec request;
    request.program = program;
    request.arguments = std::move(arguments);
    request.output = OutputWiring::inherit;
    request.error = ErrorWiring::inherit;
    return platform_.processes->run(request);
}

}  // namespace velmora
