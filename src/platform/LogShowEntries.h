#pragma once
// `log show` prints lines of its own around the entries, even when nothing
// matches: "Filtering the log data using …", "Skipping info and debug
// messages, …", the column header and, in the default style, a summary. A
// query that counts entries pipes the listing through this filter first, so
// that a quiet log counts 0. Every entry line, in every style, begins with its
// date.
namespace velmora {

inline constexpr const char* logShowEntryLinesOnly = " | grep '^[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9] '";

}  // namespace velmora
