#include "foundation/process/PosixProcessLauncher.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "ProcessProbe.h"
#include "TempFolder.h"

namespace velmora {
namespace {

using testing::eventually;
using testing::processRunning;
using testing::TempFolder;
using Outcome = RunResult::Outcome;

RunSpec shell(const std::string& script, OutputWiring output = OutputWiring::pipe, ErrorWiring error = ErrorWiring::inherit) {
    RunSpec request;
    request.program = "/bin/sh";
    request.arguments = {"-c", script};
    request.output = output;
    request.error = error;
    return request;
}

class PosixProcessLauncherTest : public ::testing::Test {
protected:
    std::shared_ptr<CapturingDiagnostics> diagnostics = std::make_shared<CapturingDiagnostics>();
    PosixProcessLauncher launcher{LauncherOptions{}, diagnostics};
    TempFolder folder;
};

TEST_F(PosixProcessLauncherTest, ArgumentsArriveUnsplitAndStatusIsReported) {
    RunSpec request;
    request.program = "/usr/bin/printf";
    request.arguments = {"[%s]", "two words", "", "$HOME", "*"};
    request.output = OutputWiring::pipe;
    RunResult result = launcher.run(request);
    EXPECT_EQ(result.outcome, Outcome::exited);
    EXPECT_EQ(result.output, "[two words][][$HOME][*]");
    EXPECT_TRUE(result.succeeded());

    result = launcher.run(shell("exit 3"));
    EXPECT_EQ(result.outcome, Outcome::exited);
    EXPECT_EQ(result.exitStatus, 3);
    EXPECT_FALSE(result.succeeded());

    result = launcher.run(shell("kill -9 $$"));
    EXPECT_EQ(result.outcome, Outcome::signaled);
    EXPECT_EQ(result.signal, SIGKILL);
    EXPECT_TRUE(result.started());
}

TEST_F(PosixProcessLauncherTest, ErrorStreamWiring) {
    struct Case {
        ErrorWiring wiring;
        const char* output;
        const char* errorOutput;
    };
    for (const Case& c : {Case{ErrorWiring::pipe, "out\n", "err\n"}, Case{ErrorWiring::nullDevice, "out\n", ""},
                          Case{ErrorWiring::mergeIntoOutput, "out\nerr\n", ""}}) {
        const RunResult result = launcher.run(shell("echo out; echo err >&2", OutputWiring::pipe, c.wiring));
        EXPECT_EQ(result.outcome, Outcome::exited);
        EXPECT_EQ(result.output, c.output);
        EXPECT_EQ(result.errorOutput, c.errorOutput);
    }
}

TEST_F(PosixProcessLauncherTest, ChildSeesOnlyStandardStreamsAndDefaultSignals) {
    // A descriptor opened elsewhere without close-on-exec must not leak
    // either. ls lists its own descriptors: the three streams plus the one it
    // opened for the listing.
    const int stray = ::dup(STDIN_FILENO);
    RunSpec listing;
    listing.program = "/bin/ls";
    listing.arguments = {"/dev/fd/"};  // the lister's own, on Linux and on a Mac
    listing.output = OutputWiring::pipe;
    listing.error = ErrorWiring::pipe;
    const RunResult fds = launcher.run(listing);
    ::close(stray);
    EXPECT_EQ(fds.output, "0\n1\n2\n3\n");

    ::signal(SIGPIPE, SIG_IGN);
    const RunResult ignored = launcher.run(shell("ps -o sigignore= -p $$"));
    ::signal(SIGPIPE, SIG_DFL);
    // glibc keeps its two internal real-time signals ignored; the classic
    // signals must all be back at their defaults.
    const unsigned long long mask = std::stoull(ignored.output, nullptr, 16);
    EXPECT_EQ(mask & 0x7fffffffULL, 0u) << ignored.output;

    const RunResult group = launcher.run(shell("ps -o pgid= -p $$ | tr -d ' '; echo $$"));
    const auto newline = group.output.find('\n');
    ASSERT_NE(newline, std::string::npos);
    EXPECT_EQ(group.output.substr(0, newline) + "\n", group.output.substr(newline + 1));
}

TEST_F(PosixProcessLauncherTest, LargeOutputOnBothPipesIsCapturedWithoutDeadlock) {
    RunSpec request = shell("head -c 3000000 /dev/zero | tr '\\0' e >&2; head -c 6000000 /dev/zero | tr '\\0' o",
                         OutputWiring::pipe, ErrorWiring::pipe);
    request.deadlineSeconds = 20;
    const RunResult result = launcher.run(request);
    EXPECT_EQ(result.outcome, Outcome::exited);
    EXPECT_EQ(result.output, std::string(6000000, 'o'));
    EXPECT_EQ(result.errorOutput, std::string(3000000, 'e'));

    request = shell("head -c 2000000 /dev/zero | tr '\\0' o & head -c 2000000 /dev/zero | tr '\\0' e >&2; wait",
                 OutputWiring::pipe, ErrorWiring::mergeIntoOutput);
    request.deadlineSeconds = 20;
    const RunResult merged = launcher.run(request);
    EXPECT_EQ(merged.output.size(), 4000000u);
    EXPECT_EQ(std::count(merged.output.begin(), merged.output.end(), 'o'), 2000000);
}

TEST_F(PosixProcessLauncherTest, StartFailuresAreValuesWithReadableDescriptions) {
    const std::string plain = folder.write("plain", "#!/bin/sh\necho no\n");
    struct Case {
        std::string program;
        std::string description;
    };
    const Case cases[] = {
        {"/nonexistent/velmora/diskutil", "The file “diskutil” doesn’t exist."},
        {"sh", "The file “sh” doesn’t exist."},  // never looked up on a PATH
        {"bin/sh", "The file “sh” doesn’t exist."},
        {"", "The file “” doesn’t exist."},
        {plain, "The file “plain” couldn’t be opened because you don’t have permission to view it."},
        {folder.path().string(),
         "The file “" + folder.path().filename().string() +
             "” couldn’t be opened because you don’t have permission to view it."},
    };
    for (const Case& c : cases) {
        RunSpec request;
        request.program = c.program;
        request.output = OutputWiring::pipe;
        const RunResult result = launcher.run(request);
        EXPECT_EQ(result.outcome, Outcome::startFailed) << c.program;
        EXPECT_FALSE(result.started());
        EXPECT_EQ(result.errorDescription, c.description);
    }
    // A broken interpreter line only shows up when exec runs.
    const std::string broken = folder.write("broken", "#!/nonexistent/interpreter\n", true);
    RunSpec request;
    request.program = broken;
    EXPECT_EQ(launcher.run(request).outcome, Outcome::startFailed);
}

TEST_F(PosixProcessLauncherTest, DeadlineTerminatesTheWholeGroup) {
    LauncherOptions options;
    options.terminateGraceSeconds = 0.2;
    PosixProcessLauncher quick(options, diagnostics);
    const std::string pidFile = folder / "background.pid";
    RunSpec request = shell("sleep 100 & echo $! > '" + pidFile + "'; sleep 100");
    request.deadlineSeconds = 0.3;

    const auto start = std::chrono::steady_clock::now();
    const RunResult result = quick.run(request);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(result.outcome, Outcome::deadline);
    EXPECT_FALSE(result.started());
    EXPECT_EQ(result.errorDescription, "The process didn’t finish within 0.3 seconds and was terminated.");
    ASSERT_EQ(diagnostics->lines().size(), 1u);
    EXPECT_EQ(diagnostics->lines()[0].rfind("⏱️ Süre aşıldı (0.3 sn), süreç grubu sonlandırıldı: /bin/sh -c sleep 100 & echo", 0), 0u);

    std::ifstream file(pidFile);
    int background = 0;
    ASSERT_TRUE(file >> background);
    EXPECT_TRUE(eventually([&] { return !processRunning(background); }));
    EXPECT_FALSE(processRunning(result.pid));
}

// Children that a terminate does not end: one ignoring it, and one stopped
// (which is no exit either, on any system).
TEST_F(PosixProcessLauncherTest, ChildIgnoringTerminateOrStoppedIsKilled) {
    LauncherOptions options;
    options.terminateGraceSeconds = 0.1;
    PosixProcessLauncher quick(options, diagnostics);
    for (const char* script : {"trap '' TERM; echo ready; sleep 100; sleep 100", "echo ready; kill -STOP $$; sleep 100"}) {
        RunSpec request = shell(script);
        request.deadlineSeconds = 0.3;
        const RunResult result = quick.run(request);
        EXPECT_EQ(result.outcome, Outcome::deadline) << script;
        EXPECT_EQ(result.output, "ready\n") << script;
        EXPECT_FALSE(processRunning(result.pid)) << script;
    }
}

TEST_F(PosixProcessLauncherTest, BackgroundJobHoldingThePipeNeitherHangsNorDies) {
    RunSpec request = shell("sleep 30 & echo $!");
    request.deadlineSeconds = 25;
    const auto start = std::chrono::steady_clock::now();
    const RunResult result = launcher.run(request);
    // Far below the deadline: the run ends soon after the shell exits.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(result.outcome, Outcome::exited);
    EXPECT_EQ(result.exitStatus, 0);
    const int background = std::stoi(result.output);
    EXPECT_TRUE(processRunning(background));
    EXPECT_TRUE(diagnostics->lines().empty());
    ::kill(background, SIGKILL);
}

TEST_F(PosixProcessLauncherTest, DetachedBackgroundJobSurvivesItsShell) {
    const std::string pidFile = folder / "job.pid";
    RunSpec request = shell("sleep 30 >/dev/null 2>&1 & echo $! > '" + pidFile + "'", OutputWiring::inherit,
                         ErrorWiring::nullDevice);
    request.deadlineSeconds = 20;
    const RunResult result = launcher.run(request);
    EXPECT_TRUE(result.succeeded());
    std::ifstream file(pidFile);
    int background = 0;
    ASSERT_TRUE(file >> background);
    EXPECT_TRUE(processRunning(background));
    ::kill(background, SIGKILL);
}

TEST_F(PosixProcessLauncherTest, UnwaitedChildrenAreReaped) {
    RunSpec request = shell("exit 0", OutputWiring::pipe, ErrorWiring::pipe);
    request.wait = false;
    const RunResult result = launcher.run(request);
    EXPECT_EQ(result.outcome, Outcome::notWaited);
    EXPECT_TRUE(result.started());
    ASSERT_GT(result.pid, 0);
    // Reaped means gone from the table entirely, not left as a zombie.
    EXPECT_TRUE(eventually([&] { return testing::processState(result.pid) == 0; }));
}

TEST_F(PosixProcessLauncherTest, ConcurrentRunsOnOneLauncherKeepTheirOwnOutput) {
    std::vector<std::thread> threads;
    std::vector<int> mismatches(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 40; ++i) {
                RunSpec request;
                request.program = "/bin/echo";
                request.arguments = {std::to_string(t) + ":" + std::to_string(i)};
                request.output = OutputWiring::pipe;
                request.wait = i % 5 != 0;
                const RunResult result = launcher.run(request);
                const bool expected = request.wait ? result.output == request.arguments[0] + "\n"
                                                : result.outcome == Outcome::notWaited;
                if (!expected) ++mismatches[t];
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(mismatches, std::vector<int>(4, 0));
}

TEST_F(PosixProcessLauncherTest, DescriptorCountStaysFlat) {
    const std::size_t before = testing::openDescriptorCount();
    const ErrorWiring wirings[] = {ErrorWiring::pipe, ErrorWiring::mergeIntoOutput, ErrorWiring::nullDevice};
    for (int i = 0; i < 2000; ++i) {
        RunSpec request;
        request.program = "/bin/true";
        request.output = OutputWiring::pipe;
        request.error = wirings[i % 3];
        ASSERT_TRUE(launcher.run(request).succeeded());
    }
    RunSpec missing;
    missing.program = "/nonexistent/tool";
    missing.output = OutputWiring::pipe;
    missing.error = ErrorWiring::pipe;
    for (int i = 0; i < 100; ++i) launcher.run(missing);
    EXPECT_EQ(testing::openDescriptorCount(), before);
    EXPECT_EQ(testing::zombieChildren(), 0u);
}

TEST_F(PosixProcessLauncherTest, OutputCapStopsTheRun) {
    LauncherOptions options;
    options.outputCapBytes = 1 << 20;
    options.terminateGraceSeconds = 0.2;
    PosixProcessLauncher capped(options, diagnostics);
    RunSpec request = shell("head -c 5000000 /dev/zero; sleep 100");
    request.deadlineSeconds = 20;
    const RunResult result = capped.run(request);
    EXPECT_EQ(result.outcome, Outcome::outputTooLarge);
    EXPECT_LE(result.output.size(), options.outputCapBytes);
    EXPECT_FALSE(result.errorDescription.empty());
    EXPECT_TRUE(diagnostics->containsSubstring("(1048576 bayt), süreç grubu sonlandırıldı: /bin/sh -c head -c 5000000"));
    EXPECT_FALSE(processRunning(result.pid));

    request = shell("head -c 1048576 /dev/zero");
    EXPECT_EQ(capped.run(request).output.size(), 1048576u);
}

class SystemRootTest : public PosixProcessLauncherTest {
protected:
    SystemRootTest() {
        folder.link("root/bin/sh", "/bin/sh");
        folder.write("root/usr/bin/tool", "#!/bin/sh\necho \"tool ran: $*\"\n", true);
        for (const char* tool : {"grep", "head", "tr"}) folder.link(std::string("host/") + tool, std::string("/bin/") + tool);
        options.systemRoot = folder / "root/";
        options.hostUtilityFolders = {folder / "host"};
        options.environment = {{"VELMORA_MARK", "set"}};
    }
    LauncherOptions options;
};

TEST_F(SystemRootTest, ProgramsRunFromTheRootWithItsToolFoldersOnly) {
    PosixProcessLauncher rooted(options, diagnostics);
    EXPECT_EQ(rooted.resolveProgram("/usr/bin/tool"), folder / "root/usr/bin/tool");

    RunSpec tool;
    tool.program = "/usr/bin/tool";
    tool.arguments = {"a b"};
    tool.output = OutputWiring::pipe;
    EXPECT_EQ(rooted.run(tool).output, "tool ran: a b\n");

#ifdef __linux__
    // argv[0] stays the path as given, not the mapped one.
    EXPECT_EQ(rooted.run(shell("head -z -n 1 /proc/$$/cmdline | tr -d '\\0'")).output, "/bin/sh");
#endif

    const RunResult missing = rooted.run(shell("mount; echo \"rc=$?\"", OutputWiring::pipe, ErrorWiring::pipe));
    EXPECT_EQ(missing.output, "rc=127\n");
    EXPECT_NE(missing.errorOutput.find("not found"), std::string::npos);

    EXPECT_EQ(rooted.run(shell("echo abc | grep -F -e b; echo \"$VELMORA_MARK\"")).output, "abc\nset\n");

    RunSpec outside;
    outside.program = "/bin/true";  // exists on the host, not in the root
    EXPECT_EQ(rooted.run(outside).errorDescription, "The file “true” doesn’t exist.");
}

}  // namespace
}  // namespace velmora
