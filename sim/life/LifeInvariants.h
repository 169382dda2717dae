#pragma once
// What the simulated life looks at after each step, and one small checker per
// rule. Each checker returns the violation in words, or nothing.
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace velmora::life {

struct ListedDisk {
    std::string id;
    bool marked = false;
};

struct Observation {
    bool running = true;  // false: right after a quit, before the next launch
    bool quiet = false;   // faults cleared and a scan period passed
    // Each disk monitor's connectedDisks, by the monitor's name.
    std::map<std::string, std::vector<ListedDisk>> monitors;
    std::set<std::string> machineDisks;  // whole disks that are not images
    std::set<std::string> storedMarks;   // the defaults file's list
    std::set<std::string> marksMade;     // every mark the program reported so far
    bool defaultsParse = true;
    int assertionsOfOurs = 0;
    // Blocks waiting per context (serial queue label), and the most any one
    // periodic job can have queued there at once.
    std::map<std::string, std::size_t> pending;
    std::size_t pendingBound = 0;
    std::vector<std::string> mainThreadRuns;  // tools run on the main thread
    std::vector<std::string> canariesPresent;
};

std::optional<std::string> checkDiskLists(const Observation& o);
std::optional<std::string> checkMarksKept(const Observation& o);
std::optional<std::string> checkDefaultsParse(const Observation& o);
std::optional<std::string> checkAssertionsAfterQuit(const Observation& o);
std::optional<std::string> checkNoBacklog(const Observation& o);
std::optional<std::string> checkHostUntouched(const Observation& o);

struct Checker {
    const char* name;
    std::optional<std::string> (*check)(const Observation&);
};
const std::vector<Checker>& checkers();

}  // namespace velmora::life
