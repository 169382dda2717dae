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
    // By monitor: disks it has listed without a break since before their mark
    // was stored. A monitor learns a mark when a disk connects; one made
    // through another monitor shows only after the disk comes back.
    std::map<std::string, std::set<std::string>> listedBeforeMark;
    bool defaultsParse = true;
    int assertionsOfOurs = 0;
    // Blocks waiting per context (serial queue label), and the most any one
    // periodic job can have queued there at once.
    std::map<std::string, std::size_t> pending;
    std::size_t pendingBound = 0;
    std::vector<std::string> mainThreadRuns;  // tools run on the main thread
    std::vector<std::string> canariesPresent;
    // Right after a kill -9: the defaults file's keys before the kill step,
    // and its keys now.
    bool afterKill = false;
    std::set<std::string> keysBeforeKill;
    std::set<std::string> defaultsKeys;
    // The life's own process: open descriptors and threads with their fixed
    // bounds, and exited children that no held job group keeps.
    std::size_t openDescriptors = 0;
    std::size_t descriptorBound = 0;
    std::size_t threads = 0;
    std::size_t threadBound = 0;
    std::vector<int> strayZombies;
    // Notifications delivered since the last check (title, body), and every
    // disk, volume and application name the machine has had so far.
    std::vector<std::pair<std::string, std::string>> newNotifications;
    std::set<std::string> namesSeen;
    // Processes the program started that still run after a quit, or that a
    // killed run left and the next launch did not end.
    std::vector<std::string> leftProcesses;
    // Once a launch has begun: the events the instance before it handed its
    // history and the file lacks (after a kill -9, only those older than
    // the last second before it).
    std::vector<std::string> historyMissing;
};

std::optional<std::string> checkDiskLists(const Observation& o);
std::optional<std::string> checkMarksKept(const Observation& o);
std::optional<std::string> checkDefaultsParse(const Observation& o);
std::optional<std::string> checkAssertionsAfterQuit(const Observation& o);
std::optional<std::string> checkNoBacklog(const Observation& o);
std::optional<std::string> checkHostUntouched(const Observation& o);
std::optional<std::string> checkResourcesBounded(const Observation& o);
std::optional<std::string> checkNotificationsNameWhatExisted(const Observation& o);
std::optional<std::string> checkNoProcessLeft(const Observation& o);
std::optional<std::string> checkHistoryKept(const Observation& o);
// The disk or application name a notification's text is about; absent for a
// notification that names none.
std::optional<std::string> notifiedName(const std::string& title, const std::string& body);

struct Checker {
    const char* name;
    std::optional<std::string> (*check)(const Observation&);
};
const std::vector<Checker>& checkers();

}  // namespace velmora::life
