#include "history/store/HistoryWriter.h"

#include <filesystem>
#include <utility>

namespace velmora {

std::shared_ptr<HistoryWriter> HistoryWriter::create(std::shared_ptr<Scheduler> scheduler, std::string path,
                                                     std::string version, std::shared_ptr<Diagnostics> diagnostics,
                                                     HistoryLimits limits) {
    return std::shared_ptr<HistoryWriter>(
        new HistoryWriter(std::move(scheduler), std::move(path), std::move(version), std::move(diagnostics), limits));
}

HistoryWriter::HistoryWriter(std::shared_ptr<Scheduler> scheduler, std::string path, std::string version,
                             std::shared_ptr<Diagnostics> diagnostics, HistoryLimits limits)
    : scheduler_(std::move(scheduler)),
      path_(std::move(path)),
      version_(std::move(version)),
      diagnostics_(std::move(diagnostics)),
      limits_(limits),
      queue_(scheduler_->makeSerialQueue("history.writer", QualityOfService::background)) {}

HistoryWriter::~HistoryWriter() {
    // At quit the queue may already have stopped; what is still pending is
    // written here rather than lost.
    std::vector<HistoryEvent> left;
    {
        std::lock_guard lock(mutex_);
        if (abandoned_) return;
        left.swap(pending_);
    }
    if (!left.empty() && database_) database_->insert(left);
}

void HistoryWriter::start() {
    queue_->async([weak = weak_from_this()] {
        if (auto self = weak.lock()) self->commitRound();
    });
    timer_ = scheduler_->scheduleRepeatingTimer(commitIntervalSeconds, [weak = weak_from_this()] {
        if (auto self = weak.lock()) self->queueRound();
    });
}

void HistoryWriter::stop() {
    if (timer_) timer_->invalidate();
    timer_.reset();
    queue_->async([weak = weak_from_this()] {
        if (auto self = weak.lock()) self->commitRound();
    });
}

void HistoryWriter::abandon() {
    if (timer_) timer_->invalidate();
    std::lock_guard lock(mutex_);
    abandoned_ = true;
    pending_.clear();
}

void HistoryWriter::record(HistoryEvent event) {
    if (event.version.empty()) event.version = version_;
    std::lock_guard lock(mutex_);
    if (abandoned_) return;
    if (event.kind == HistoryKind::throughput) {
        auto& last = lastThroughput_[event.disk];
        if (last != Date{} && secondsBetween(last, event.time) < throughputSpacingSeconds) return;
        last = event.time;
    }
    if (pending_.size() >= maxPending) {
        pending_.erase(pending_.begin());
        if (!saidDropping_) {
            saidDropping_ = true;
            diagnostics_->line("⚠️ Disk geçmişi yazılamıyor, en eski bekleyen olaylar atılıyor: " + path_);
        }
    }
    pending_.push_back(std::move(event));
}

std::vector<HistoryEvent> HistoryWriter::eventsOf(const std::string& disk, Date since) {
    std::lock_guard lock(readMutex_);
    if (!reader_) {
        std::string ignored;  // no file yet, or one the writer is about to move aside
        reader_ = HistoryDatabase::openExisting(path_, ignored);
        if (!reader_) return {};
    }
    HistoryQuery query;
    query.disk = disk;
    query.since = since;
    auto found = reader_->events(query);
    if (!found) {
        reader_.reset();  // opened afresh next time, after a move aside say
        return {};
    }
    return std::move(*found);
}

std::string HistoryWriter::exportFolder() const {
    return (std::filesystem::path(path_).parent_path().parent_path().parent_path().parent_path() / "Downloads").string();
}

void HistoryWriter::queueRound() {
    {
        std::lock_guard lock(mutex_);
        if (pending_.empty() && opened_) return;
    }
    // One round waits at a time: a slow disk must not pile rounds up behind it.
    if (roundQueued_.exchange(true)) return;
    queue_->async([weak = weak_from_this()] {
        if (auto self = weak.lock()) self->commitRound();
    });
}

void HistoryWriter::commitRound() {
    roundQueued_ = false;
    if (!opened_) {
        opened_ = true;
        database_ = HistoryDatabase::open(path_, *diagnostics_);
    }
    if (!database_) {
        std::lock_guard lock(mutex_);
        pending_.clear();
        return;
    }
    pruneIfDue();
    std::vector<HistoryEvent> batch;
    {
        std::lock_guard lock(mutex_);
        batch.swap(pending_);
    }
    if (batch.empty()) return;
    bool written = database_->insert(batch);
    if (!written && database_->lastFailureWasCorruption()) {
        // The file went bad under us: it is moved aside as at a start, and
        // the batch goes into the new one.
        database_.reset();
        database_ = HistoryDatabase::open(path_, *diagnostics_);
        written = database_ && database_->insert(batch);
    }
    if (!written) {
        // Kept for the next round, before what came since.
        std::lock_guard lock(mutex_);
        batch.insert(batch.end(), std::make_move_iterator(pending_.begin()), std::make_move_iterator(pending_.end()));
        if (batch.size() > maxPending) batch.erase(batch.begin(), batch.begin() + static_cast<long>(batch.size() - maxPending));
        pending_ = std::move(batch);
        return;
    }
    std::lock_guard lock(mutex_);
    saidDropping_ = false;
}

void HistoryWriter::pruneIfDue() {
    const Date now = scheduler_->now();
    if (lastPrune_ != Date{} && secondsBetween(lastPrune_, now) < pruneIntervalSeconds) return;
    lastPrune_ = now;
    database_->prune(now, limits_);
}

}  // namespace velmora
