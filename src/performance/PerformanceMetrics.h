#pragma once
// One throughput sample of a disk. macOS's iostat reports one combined
// throughput per disk, so both speeds carry it; latency, operations per
// second and utilization are not reported and stay 0.
namespace velmora {

struct PerformanceMetrics {
    double readSpeed = 0;
    double writeSpeed = 0;
    double latency = 0;
    double iops = 0;
    double utilization = 0;

    bool operator==(const PerformanceMetrics&) const = default;
    // No usable sample.
    bool isAllZero() const { return *this == PerformanceMetrics{}; }
};

}  // namespace velmora
