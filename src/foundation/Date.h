#pragma once
// Points in time and durations as the program uses them: dates are absolute
// points on the wall clock, durations are seconds as doubles.
#include <chrono>
#include <string>

namespace velmora {

using Clock = std::chrono::system_clock;
using Date = Clock::time_point;

inline Date dateFromSeconds(double secondsSinceEpoch) {
    return Date{} + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(secondsSinceEpoch));
}
inline double secondsSinceEpoch(Date d) {
    return std::chrono::duration<double>(d.time_since_epoch()).count();
}
inline double secondsBetween(Date from, Date to) {
    return std::chrono::duration<double>(to - from).count();
}
inline Date addSeconds(Date d, double seconds) {
    return d + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

}  // namespace velmora
