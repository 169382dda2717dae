#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <mutex>
#include <regex>
#include <set>
#include <sstream>
#include <thread>

#include "MachineProcesses.h"
#include "SimTestSupport.h"
#include "foundation/process/Script.h"
#include "sim/services/SimPlatform.h"
#include "sim/state/ToolTree.h"

// Every script and tool run of the program, run against a machine: each
// command must land on a stand-in inside the machine folder and the host must
// be left exactly as it was.
namespace velmora::sim {
namespace {

struct ProgramRun {
    std::string label;
    std::string kind;  // sh, sh-plain, zsh, run
    std::vector<std::string> lines;
};

std::string dataFile() { return velmora::testing::sourcePath("tests/sim/data/program-scripts.txt"); }

std::vector<ProgramRun> loadRuns() {
    std::ifstream in(dataFile());
    std::vector<ProgramRun> runs;
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("=== ", 0) == 0) {
            std::istringstream header(line.substr(4));
            ProgramRun run;
            header >> run.label >> run.kind;
            runs.push_back(run);
        } else if (!runs.empty()) {
            runs.back().lines.push_back(line);
        }
    }
    for (auto& run : runs) {
        while (!run.lines.empty() && run.lines.back().empty()) run.lines.pop_back();
    }
    return runs;
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    for (auto pos = text.find(from); pos != std::string::npos; pos = text.find(from, pos + to.size())) {
        text.replace(pos, from.size(), to);
    }
    return text;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

// Host facts a leaked command could change.
std::map<std::string, std::string> hostSnapshot() {
    std::map<std::string, std::string> facts;
    for (const char* path : {"/proc/self/mounts", "/proc/sys/kernel/hostname", "/proc/sys/fs/file-max",
                             "/proc/sys/vm/swappiness", "/proc/sys/net/core/somaxconn", "/proc/sys/kernel/modules_disabled",
                             "/proc/modules"}) {
        facts[path] = readFile(path);
    }
    struct stat info {};
    facts["/tmp mode"] = ::stat("/tmp", &info) == 0 ? std::to_string(info.st_mode) : "";
    return facts;
}

class SafetyTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The scripts sleep for seconds at a time; here every sleep is short.
        const std::string sleepShim = ToolTree::hostUtilityFolder(mac_.dir()) + "/sleep";
        ::unlink(sleepShim.c_str());
        std::ofstream(sleepShim) << "#!/bin/sh\nexec /bin/sleep 0.05\n";
        ::chmod(sleepShim.c_str(), 0755);

        diagnostics_ = std::make_shared<CapturingDiagnostics>();
        SimulatedPlatformOptions options;
        options.launcher.defaultDeadlineSeconds = 4;
        options.launcher.terminateGraceSeconds = 0.5;
        platform_ = makeSimulatedPlatform(mac_.dir(), nullptr, diagnostics_, options);
        values_ = {{"@NAME@", "Velmora SSD $(touch " + canary(1) + ") `touch " + canary(2) + "`; touch " + canary(3) +
                                  " 'x' \"y\""},
                   {"@ID@", "disk4"},
                   {"@PATH@", "/dev/disk4"},
                   {"@MOUNT@", mac_.dir() + "/Volumes/Velmora'; sudo rm -rf ~ #"}};
    }

    void TearDown() override {
        testing::endMachineProcesses(mac_.dir());
    }

    std::string canary(int n) const { return mac_.scratch() + "/canary-" + std::to_string(n); }

    std::string fill(const std::string& text, bool quoted) const {
        std::string out = text;
        for (const auto& [marker, value] : values_) out = replaceAll(out, marker, quoted ? Script::quote(value) : value);
        return out;
    }

    RunSpec specFor(const ProgramRun& run) const {
        RunSpec request;
        request.output = OutputWiring::pipe;
        request.error = ErrorWiring::pipe;
        if (run.kind == "run") {
            request.program = run.lines.at(0);
            for (std::size_t i = 1; i < run.lines.size(); ++i) request.arguments.push_back(fill(run.lines[i], false));
            return request;
        }
        std::string text;
        for (std::size_t i = 0; i < run.lines.size(); ++i) text += (i ? "\n" : "") + run.lines[i];
        text = fill(text, true);
        if (run.kind == "sh") text = applySudoRule(text).value_or("echo refused-by-sudo-rule");
        request.program = run.kind == "zsh" ? "/bin/zsh" : "/bin/sh";
        request.arguments = {"-c", text};
        return request;
    }

    // Hostile names on the machine's disks and USB devices reach the scripts
    // through tool output as well.
    testing::ScratchMachine mac_{"hostile"};
    std::shared_ptr<CapturingDiagnostics> diagnostics_;
    Platform platform_;
    std::map<std::string, std::string> values_;
};

TEST_F(SafetyTest, ScriptsNameNoProgramByAbsolutePath) {
    // An absolute path inside a script would bypass the machine's PATH.
    const std::regex absolute(R"((^|[\s;|&(])/(?!dev/null))");
    auto runs = loadRuns();
    ASSERT_GT(runs.size(), 60u);
    for (const auto& run : runs) {
        if (run.kind == "run") continue;
        for (const auto& line : run.lines) EXPECT_FALSE(std::regex_search(line, absolute)) << run.label << ": " << line;
        std::string text;
        for (const auto& line : run.lines) text += line + "\n";
        if (run.kind == "sh") {
            EXPECT_TRUE(applySudoRule(text).has_value()) << run.label;
        }
    }
}

TEST_F(SafetyTest, ScriptPathReachesOnlyStandInsAndHarmlessUtilities) {
    RunSpec request;
    request.program = "/bin/sh";
    request.output = OutputWiring::pipe;
    request.arguments = {"-c",
                      "for c in mount umount sysctl chmod killall launchctl kextload kextunload pmset purge diskutil "
                      "ioreg log date sync; do command -v \"$c\" || echo \"MISSING $c\"; done; "
                      "for c in shutdown reboot halt poweroff rm rmdir sudo su dd mkfs chown mv cp ln ifconfig ip "
                      "systemctl modprobe insmod rmmod umount2 mknod touch tee; do "
                      "command -v \"$c\" >/dev/null 2>&1 && echo \"FOUND $c\"; done; true"};
    RunResult r = platform_.processes->run(request);
    ASSERT_TRUE(r.succeeded()) << r.errorDescription;
    std::istringstream lines(r.output);
    std::string line;
    int resolved = 0;
    while (std::getline(lines, line)) {
        EXPECT_EQ(line.rfind(mac_.dir() + "/", 0), 0u) << line;
        ++resolved;
    }
    EXPECT_EQ(resolved, 15);
}

TEST_F(SafetyTest, EveryProgramRunLandsOnAStandInAndLeavesTheHostAlone) {
    const auto before = hostSnapshot();
    const auto runs = loadRuns();
    std::mutex mutex;
    std::vector<std::string> startFailures;
    std::size_t next = 0;
    std::vector<std::thread> workers;
    for (int w = 0; w < 6; ++w) {
        workers.emplace_back([&] {
            for (;;) {
                std::size_t index;
                {
                    std::lock_guard<std::mutex> lock(mutex);
                    if (next >= runs.size()) return;
                    index = next++;
                }
                RunResult r = platform_.processes->run(specFor(runs[index]));
                if (!r.started() && r.outcome != RunResult::Outcome::deadline) {
                    std::lock_guard<std::mutex> lock(mutex);
                    startFailures.push_back(runs[index].label + ": " + r.errorDescription);
                }
            }
        });
    }
    for (auto& w : workers) w.join();
    EXPECT_TRUE(startFailures.empty()) << startFailures.front();

    // A script's background loop outlives it, as on a Mac; every process of
    // this machine can be ended.
    EXPECT_TRUE(testing::endMachineProcesses(mac_.dir()));

    EXPECT_EQ(hostSnapshot(), before);
    for (int n = 1; n <= 3; ++n) EXPECT_FALSE(exists(canary(n))) << canary(n);
    // The hostile scenario's USB product name would create this in the
    // working folder if any script evaluated tool output as code.
    EXPECT_FALSE(exists("velmora-hostile-canary"));

    if (!testing::haveRealTools()) GTEST_SKIP() << "the stand-in binary is not built";
    std::set<std::string> ran;
    for (const auto& entry : mac_.machine().journal()) {
        ASSERT_FALSE(entry.argv.empty());
        EXPECT_TRUE(ToolTree::isKnownTool(entry.argv[0])) << entry.argv[0];
        ran.insert(entry.argv[0]);
    }
    for (const char* tool : {"diskutil", "ioreg", "log", "date", "pmset", "sysctl", "mount", "mdutil", "xattr",
                             "kextload", "kextunload", "kextstat", "launchctl", "system_profiler", "top", "iostat",
                             "df", "ps", "chmod", "killall", "purge", "memory_pressure", "caffeinate", "sync",
                             "lsregister"}) {
        EXPECT_TRUE(ran.count(tool)) << tool << " never reached its stand-in";
    }
    // A standard user changes none of the privileged settings.
    MachineState after = mac_.machine().read();
    EXPECT_EQ(after.pmset.at("disksleep"), "10");
    EXPECT_EQ(after.sysctl.at("kern.maxfiles"), "245760");
    EXPECT_EQ(after.sysctl.at("kern.maxvnodes"), "263168");
}

}  // namespace
}  // namespace velmora::sim
