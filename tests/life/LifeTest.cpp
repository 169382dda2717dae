// The simulated life's own pieces: the workload replays from its seed, and
// each invariant checker catches the violation planted for it.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "sim/life/LifeInvariants.h"
#include "sim/life/LifeWorkload.h"

namespace velmora::life {
namespace {

std::vector<std::string> steps(std::uint64_t seed, std::vector<std::string> faults = {}, int count = 400) {
    Workload workload(seed, std::move(faults));
    std::vector<std::string> described;
    for (int i = 0; i < count; ++i) {
        const Step step = workload.next();
        described.push_back(describe(step) + " " + std::to_string(step.pick));
    }
    return described;
}

bool anyContains(const std::vector<std::string>& lines, const std::string& text) {
    for (const auto& line : lines)
        if (line.find(text) != std::string::npos) return true;
    return false;
}

TEST(LifeWorkload, ASeedReplaysTheSameStepsAndFaultsFollowTheList) {
    EXPECT_EQ(steps(42), steps(42));
    EXPECT_NE(steps(42), steps(43));
    EXPECT_TRUE(anyContains(steps(42), " hang "));
    EXPECT_TRUE(anyContains(steps(42), "plug RTL9210B-CG"));
    EXPECT_TRUE(anyContains(steps(42), "relaunch"));
    EXPECT_TRUE(anyContains(steps(42), "kill-9 in-settings-write"));
    EXPECT_TRUE(anyContains(steps(42), " nonUTF8 "));

    const auto noFaults = steps(42, {"none"});
    EXPECT_FALSE(anyContains(noFaults, "fault "));
    const auto onlyGarble = steps(42, {"garble"});
    EXPECT_TRUE(anyContains(onlyGarble, " garble "));
    for (const char* other : {" hang ", " slow ", " fail "}) EXPECT_FALSE(anyContains(onlyGarble, other)) << other;
}

Observation healthy() {
    Observation o;
    o.quiet = true;
    o.machineDisks = {"disk0", "disk4"};
    o.monitors["delegate"] = {{"disk0", false}, {"disk4", true}};
    o.monitors["window"] = {{"disk4", true}, {"disk0", false}};
    o.storedMarks = {"disk4", "disk9"};
    o.marksMade = {"disk4", "disk9"};
    o.pending = {{"usb.auto.stabilizer", 2}};
    o.pendingBound = 4;
    o.afterKill = true;
    o.keysBeforeKill = {"markedDisks"};
    o.defaultsKeys = {"markedDisks", "powerManagementActive"};
    o.openDescriptors = 20;
    o.descriptorBound = 40;
    o.threads = 3;
    o.threadBound = 10;
    o.namesSeen = {"Life 1", "Final Cut Pro"};
    o.newNotifications = {{"USB Disk Ayrıldı", "Life 1 ayrıldı"},
                          {"Uyarı", "2 uygulama Life 1 diskinde çalışıyor"},
                          {"Büyük Uygulama Tespit Edildi", "Final Cut Pro çalışıyor. USB diskleriniz korunuyor."},
                          {"Bildirim", "names nothing"}};
    return o;
}

TEST(LifeInvariants, EachCheckerCatchesItsPlantedViolation) {
    for (const auto& checker : checkers()) EXPECT_FALSE(checker.check(healthy())) << checker.name;

    struct Case {
        const char* planted;
        std::function<void(Observation&)> plant;
        std::optional<std::string> (*caughtBy)(const Observation&);
    };
    const std::vector<Case> cases = {
        {"a disk listed twice", [](Observation& o) { o.monitors["window"].push_back({"disk0", false}); }, checkDiskLists},
        {"a pulled disk still listed", [](Observation& o) { o.machineDisks.erase("disk4"); }, checkDiskLists},
        {"a plugged disk missing", [](Observation& o) { o.machineDisks.insert("disk5"); }, checkDiskLists},
        {"a stored mark gone", [](Observation& o) { o.storedMarks.erase("disk9"); }, checkMarksKept},
        {"a marked disk shown unmarked", [](Observation& o) { o.monitors["delegate"][1].marked = false; },
         checkMarksKept},
        {"a defaults file that does not parse", [](Observation& o) { o.defaultsParse = false; }, checkDefaultsParse},
        {"an assertion after quit",
         [](Observation& o) {
             o.running = false;
             o.assertionsOfOurs = 1;
         },
         checkAssertionsAfterQuit},
        {"a queue backlog", [](Observation& o) { o.pending["usb.auto.stabilizer"] = 5; }, checkNoBacklog},
        {"a tool run on the main thread", [](Observation& o) { o.mainThreadRuns = {"/usr/sbin/diskutil"}; },
         checkNoBacklog},
        {"a canary on the host", [](Observation& o) { o.canariesPresent = {"/tmp/m.canary-1"}; }, checkHostUntouched},
        {"a key lost in a kill", [](Observation& o) { o.defaultsKeys.erase("markedDisks"); }, checkDefaultsParse},
        {"a zombie child", [](Observation& o) { o.strayZombies = {4242}; }, checkResourcesBounded},
        {"descriptors over the bound", [](Observation& o) { o.openDescriptors = 41; }, checkResourcesBounded},
        {"threads over the bound", [](Observation& o) { o.threads = 11; }, checkResourcesBounded},
        {"a notification about a disk that never was",
         [](Observation& o) { o.newNotifications.push_back({"USB Disk Bağlandı", "Lfie 1 başarıyla bağlandı"}); },
         checkNotificationsNameWhatExisted},
        {"a garbled application in a warning",
         [](Observation& o) { o.newNotifications.push_back({"Uyarı", "1 uygulama \xef\xbf\xbd diskinde çalışıyor"}); },
         checkNotificationsNameWhatExisted},
        {"a polling loop left running", [](Observation& o) { o.leftProcesses = {"912 /bin/sh -c ..."}; },
         checkNoProcessLeft},
    };
    for (const auto& c : cases) {
        Observation o = healthy();
        c.plant(o);
        for (const auto& checker : checkers()) {
            EXPECT_EQ(checker.check(o).has_value(), checker.check == c.caughtBy) << c.planted << " / " << checker.name;
        }
    }

    // Disk lists are compared only after a quiet spell, and an assertion
    // only after quit.
    Observation busy = healthy();
    busy.quiet = false;
    busy.machineDisks.insert("disk5");
    EXPECT_FALSE(checkDiskLists(busy));
    Observation running = healthy();
    running.assertionsOfOurs = 3;
    EXPECT_FALSE(checkAssertionsAfterQuit(running));
    // A monitor that listed the disk before another one marked it learns the
    // mark only when the disk comes back.
    Observation listedEarlier = healthy();
    listedEarlier.monitors["delegate"][1].marked = false;
    listedEarlier.listedBeforeMark["delegate"] = {"disk4"};
    EXPECT_FALSE(checkMarksKept(listedEarlier));
}

}  // namespace
}  // namespace velmora::life
