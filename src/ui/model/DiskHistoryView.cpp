#include "ui/model/DiskHistoryView.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace velmora {

namespace {

std::string counted(double n, const char* one, const char* many) {
    const long count = std::lround(n);
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

DiskHistoryView diskHistoryView(const std::vector<HistoryEvent>& week, Date now) {
    DiskHistoryView view;
    const double span = DiskHistoryView::days * 86400;
    const Date from = addSeconds(now, -span);
    double disconnects = 0;
    double failures = 0;
    double peak = 0;
    std::vector<double> slotPeak(DiskHistoryView::slotCount, -1);
    for (const auto& e : week) {
        const double age = secondsBetween(e.time, now);
        if (age < 0 || age > span) continue;
        const double position = secondsBetween(from, e.time) / span;
        const bool lastDay = age <= 86400;
        switch (e.kind) {
        case HistoryKind::connected: view.marks.push_back({position, "green"}); break;
        case HistoryKind::ejected: view.marks.push_back({position, "grey"}); break;
        case HistoryKind::vanished:
            view.marks.push_back({position, "red"});
            // A clean eject is the user's doing, not the disk's instability.
            if (lastDay) ++disconnects;
            break;
        case HistoryKind::enumerationFailure:
            view.marks.push_back({position, "orange"});
            if (lastDay) failures += std::max(1.0, e.value);
            break;
        case HistoryKind::throughput: {
            const int slot = std::clamp(static_cast<int>(position * DiskHistoryView::slotCount), 0, DiskHistoryView::slotCount - 1);
            slotPeak[static_cast<std::size_t>(slot)] = std::max(slotPeak[static_cast<std::size_t>(slot)], e.value);
            peak = std::max(peak, e.value);
            break;
        }
        default: break;
        }
    }
    if (disconnects == 0 && failures == 0) {
        view.summary = "No disconnects in the last 24 hours";
    } else if (failures == 0) {
        view.summary = counted(disconnects, "disconnect", "disconnects") + " in the last 24 hours";
    } else {
        view.summary = (disconnects == 0 ? std::string("No disconnects")
                                         : counted(disconnects, "disconnect", "disconnects")) +
                       ", " + counted(failures, "enumeration failure", "enumeration failures") + " in the last 24 hours";
    }
    view.throughput.assign(DiskHistoryView::slotCount, -1);
    if (peak > 0) {
        for (std::size_t i = 0; i < slotPeak.size(); ++i)
            if (slotPeak[i] >= 0) view.throughput[i] = slotPeak[i] / peak;
        char caption[48];
        std::snprintf(caption, sizeof caption, "Peak %.0f MB/s", peak);
        view.throughputCaption = caption;
    }
    return view;
}

}  // namespace velmora
