#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <fstream>
#include <set>
#include <thread>

#include "SimTestSupport.h"
#include "sim/state/Machine.h"

namespace velmora::sim {
namespace {

using testing::ScratchFolder;

TEST(Machine, FolderWithoutStateReadsAsEmptyMachine) {
    ScratchFolder scratch;
    Machine machine(scratch.path() + "/nothing-here");
    EXPECT_FALSE(machine.exists());
    EXPECT_TRUE(machine.read().disks.empty());
    EXPECT_TRUE(machine.journal().empty());
}

TEST(Machine, UpdateReturnsValueAndPersists) {
    ScratchFolder scratch;
    Machine machine(scratch.path() + "/m/");  // trailing slash is ignored
    EXPECT_EQ(machine.directory(), scratch.path() + "/m");
    machine.write(MachineState{});
    int pid = machine.update([](MachineState& s) { return s.nextPid++; });
    EXPECT_EQ(pid, 900);
    EXPECT_EQ(Machine(scratch.path() + "/m").read().nextPid, 901);
    EXPECT_TRUE(machine.exists());
}

TEST(Machine, ThrowingChangeLeavesStateUntouched) {
    ScratchFolder scratch;
    Machine machine(scratch.path() + "/m");
    machine.write(MachineState{});
    EXPECT_THROW(machine.update([](MachineState& s) {
        s.userIsAdmin = true;
        throw MachineError("refused");
    }),
                 MachineError);
    EXPECT_FALSE(machine.read().userIsAdmin);
    // The lock was released: another update goes through.
    machine.update([](MachineState& s) { s.userIsAdmin = true; });
    EXPECT_TRUE(machine.read().userIsAdmin);
}

TEST(Machine, CorruptStateFileIsAnErrorNotAnEmptyMachine) {
    ScratchFolder scratch;
    Machine machine(scratch.path() + "/m");
    machine.write(MachineState{});
    std::ofstream(machine.stateFile(), std::ios::trunc) << "{ \"disks\": [ truncated";
    EXPECT_THROW(machine.read(), MachineError);
    EXPECT_THROW(machine.update([](MachineState&) {}), MachineError);
}

TEST(Machine, NoTemporaryFilesAreLeftBehind) {
    ScratchFolder scratch;
    Machine machine(scratch.path() + "/m");
    for (int i = 0; i < 5; ++i) machine.update([](MachineState& s) { s.nextDiskNumber++; });
    int entries = 0;
    if (DIR* dir = ::opendir((scratch.path() + "/m/.velmora-sim").c_str())) {
        while (dirent* e = ::readdir(dir)) {
            std::string name = e->d_name;
            if (name == "." || name == "..") continue;
            ++entries;
            EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
        }
        ::closedir(dir);
    }
    EXPECT_EQ(entries, 2);  // state.json and state.lock
}

TEST(Machine, JournalKeepsEntriesAndSkipsBrokenLines) {
    ScratchFolder scratch;
    Machine machine(scratch.path() + "/m");
    machine.write(MachineState{});
    machine.appendJournal({1.5, {"diskutil", "info", "-plist", "disk4"}, 0});
    {
        std::ofstream broken(machine.journalFile(), std::ios::app);
        broken << "{\"argv\": [\"cut off\"\n" << "[1,2,3]\n" << "{\"argv\": 5}\n";
    }
    machine.appendJournal({2.5, {"pmset", "-a", "disksleep", "0"}, 1});
    auto entries = machine.journal();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].argv, (std::vector<std::string>{"diskutil", "info", "-plist", "disk4"}));
    EXPECT_EQ(entries[1].exitStatus, 1);
    EXPECT_DOUBLE_EQ(entries[1].time, 2.5);
    machine.clearJournal();
    EXPECT_TRUE(machine.journal().empty());
}

// Each thread uses its own Machine (its own lock descriptor), as separate
// processes do; no update may be lost.
TEST(Machine, ConcurrentUpdatesFromManyThreadsAreNotLost) {
    ScratchFolder scratch;
    const std::string dir = scratch.path() + "/m";
    Machine(dir).write(MachineState{});
    constexpr int kThreads = 8;
    constexpr int kEach = 6;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([dir, t] {
            Machine machine(dir);
            for (int i = 0; i < kEach; ++i) {
                machine.update([&](MachineState& s) {
                    s.log.push_back({0, "kernel", 0, std::to_string(t) + "-" + std::to_string(i)});
                });
                machine.appendJournal({0, {"tool", std::to_string(t), std::to_string(i)}, 0});
                (void)machine.read();
            }
        });
    }
    for (auto& th : threads) th.join();
    Machine machine(dir);
    std::set<std::string> messages;
    for (const auto& e : machine.read().log) messages.insert(e.message);
    EXPECT_EQ(messages.size(), static_cast<std::size_t>(kThreads * kEach));
    EXPECT_EQ(machine.journal().size(), static_cast<std::size_t>(kThreads * kEach));
}

}  // namespace
}  // namespace velmora::sim
