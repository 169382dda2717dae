#include "foundation/process/ShellRunner.h"

#include <gtest/gtest.h>

#include "TempFolder.h"
#include "foundation/process/PosixProcessLauncher.h"
#include "support/ScriptedProcessLauncher.h"

namespace velmora {
namespace {

using testing::ScriptedProcessLauncher;
using testing::TempFolder;

// Message sets as the owners word them; the runner prints whichever it is given.
const SudoRunnerMessages kScriptMessages{"⚠️ Sudo command skipped for security: operation requires user authorization",
                                         "⚠️ Non-critical operation skipped: "};
const SudoRunnerMessages kOutputMessages{"⚠️ Sudo command skipped for security",
                                         "⚠️ Non-critical operation failed: "};
const SudoRunnerMessages kStabilizationMessages{"⚠️ Sudo stabilization command skipped for security",
                                                "⚠️ Non-critical stabilization operation skipped: "};

class ShellRunnerTest : public ::testing::Test {
protected:
    std::shared_ptr<ScriptedProcessLauncher> processes = std::make_shared<ScriptedProcessLauncher>();
    std::shared_ptr<CapturingDiagnostics> diagnostics = std::make_shared<CapturingDiagnostics>();
    ShellRunner runner{processes, diagnostics};

    RunSpec onlyRun() const {
        const auto runs = processes->runs();
        EXPECT_EQ(runs.size(), 1u);
        return runs.empty() ? RunSpec{} : runs.front();
    }
};

TEST_F(ShellRunnerTest, EachRunnerWiresItsRun) {
    runner.runScript(Script("sudo pmset -a disksleep 0"), kScriptMessages);
    RunSpec run = onlyRun();
    EXPECT_EQ(run.program, "/bin/sh");
    EXPECT_EQ(run.arguments, (std::vector<std::string>{"-c", "pmset -a disksleep 0"}));
    EXPECT_EQ(run.output, OutputWiring::inherit);
    EXPECT_EQ(run.error, ErrorWiring::nullDevice);
    EXPECT_TRUE(run.wait);

    processes->clearRecord();
    processes->setFallback([](const RunSpec&) { return ScriptedProcessLauncher::exited(1, "listing\n"); });
    EXPECT_EQ(runner.runScriptWithOutput(Script("sudo\nioreg -l"), kOutputMessages), "listing\n");
    run = onlyRun();
    EXPECT_EQ(run.arguments, (std::vector<std::string>{"-c", "ioreg -l"}));
    EXPECT_EQ(run.output, OutputWiring::pipe);
    EXPECT_EQ(run.error, ErrorWiring::nullDevice);

    // No sudo rule here: the script goes to zsh unchanged.
    processes->clearRecord();
    EXPECT_EQ(runner.runZshWithResult(Script("sudo kextstat | grep -F -e x")), "listing\n");
    run = onlyRun();
    EXPECT_EQ(run.program, "/bin/zsh");
    EXPECT_EQ(run.arguments, (std::vector<std::string>{"-c", "sudo kextstat | grep -F -e x"}));
    EXPECT_EQ(run.output, OutputWiring::pipe);
    EXPECT_EQ(run.error, ErrorWiring::mergeIntoOutput);

    processes->clearRecord();
    EXPECT_FALSE(runner.executeCommand("/usr/sbin/diskutil", {"enableOwnership", "/dev/disk4"}));
    run = onlyRun();
    EXPECT_EQ(run.program, "/usr/sbin/diskutil");
    EXPECT_EQ(run.arguments, (std::vector<std::string>{"enableOwnership", "/dev/disk4"}));
    EXPECT_EQ(run.output, OutputWiring::inherit);
    EXPECT_EQ(run.error, ErrorWiring::inherit);
    EXPECT_TRUE(diagnostics->lines().empty());
}

TEST_F(ShellRunnerTest, RefusedScriptsPrintTheOwnersSkipMessageAndDoNotRun) {
    const Script refused("pmset -a sleep 0; sudo");
    runner.runScript(refused, kScriptMessages);
    EXPECT_EQ(runner.runScriptWithOutput(refused, kOutputMessages), "");
    runner.runScript(refused, kStabilizationMessages);
    EXPECT_TRUE(processes->runs().empty());
    EXPECT_EQ(diagnostics->lines(), (std::vector<std::string>{
                                        "⚠️ Sudo command skipped for security: operation requires user authorization",
                                        "⚠️ Sudo command skipped for security",
                                        "⚠️ Sudo stabilization command skipped for security",
                                    }));
}

TEST_F(ShellRunnerTest, FailedRunsPrintTheStartFailureMessage) {
    // A run stopped at its deadline or the output cap is reported like a failed start.
    for (const auto outcome : {RunResult::Outcome::startFailed, RunResult::Outcome::deadline,
                               RunResult::Outcome::outputTooLarge}) {
        processes->setFallback([outcome](const RunSpec&) {
            RunResult result;
            result.outcome = outcome;
            result.output = "partial";
            result.errorDescription = "why";
            return result;
        });
        diagnostics->clear();
        runner.runScript(Script("true"), kScriptMessages);
        EXPECT_EQ(runner.runScriptWithOutput(Script("true"), kOutputMessages), "");
        runner.runScript(Script("true"), kStabilizationMessages);
        EXPECT_EQ(runner.runZshWithResult(Script("true")), "");
        EXPECT_FALSE(runner.executeCommand("/bin/true", {}));
        EXPECT_EQ(diagnostics->lines(), (std::vector<std::string>{
                                            "⚠️ Non-critical operation skipped: why",
                                            "⚠️ Non-critical operation failed: why",
                                            "⚠️ Non-critical stabilization operation skipped: why",
                                            "❌ Script execution error: why",
                                            "❌ Komut hatası: why",
                                        }));
    }
}

TEST_F(ShellRunnerTest, ResultsFollowExitStatusAndEncoding) {
    processes->onCommand("/bin/ok", {}, ScriptedProcessLauncher::exited(0));
    processes->onCommand("/bin/fails", {}, ScriptedProcessLauncher::exited(1));
    processes->on([](const RunSpec& s) { return s.program == "/bin/killed"; },
                  [](const RunSpec&) {
                      RunResult result;
                      result.outcome = RunResult::Outcome::signaled;
                      result.signal = 9;
                      return result;
                  });
    EXPECT_TRUE(runner.executeCommand("/bin/ok", {}));
    EXPECT_FALSE(runner.executeCommand("/bin/fails", {}));
    EXPECT_FALSE(runner.executeCommand("/bin/killed", {}));

    processes->setFallback([](const RunSpec&) { return ScriptedProcessLauncher::exited(0, "bad \xC0\xAF bytes"); });
    EXPECT_EQ(runner.runScriptWithOutput(Script("x"), kOutputMessages), "");
    EXPECT_EQ(runner.runZshWithResult(Script("x")), "");
    EXPECT_TRUE(diagnostics->lines().empty());
}

// Hostile disk and volume names run through a real shell: each must come back
// byte for byte and never execute.
TEST(ShellRunnerQuotingTest, HostileValuesStayData) {
    TempFolder folder;
    const std::string canary = folder / "CANARY";
    auto launcher = std::make_shared<PosixProcessLauncher>(LauncherOptions{}, nullptr);
    auto diagnostics = std::make_shared<CapturingDiagnostics>();
    ShellRunner runner(launcher, diagnostics);
    const std::string values[] = {
        "x\"; touch " + canary + "; echo \"",
        "$(touch " + canary + ")",
        "`touch " + canary + "`",
        "line\n; touch " + canary,
        "'",
        "'; touch " + canary + "; '",
        "a'\\''b",
        "💾 Yedek Disk",
        "-rf",
        "sudo",
        "pseudo",
        "* ? [a] ~ $HOME \\",
        "",
    };
    for (const std::string& value : values) {
        Script script;
        script.code("printf '%s' ").value(value);
        EXPECT_EQ(runner.runScriptWithOutput(script, kOutputMessages), value);

        Script literal;
        literal.code("printf '%s\\n' ").value(value).code(" | grep -c -F -e ").value(value);
        if (!value.empty() && value.find('\n') == std::string::npos) {
            EXPECT_EQ(runner.runScriptWithOutput(literal, kOutputMessages), "1\n") << value;
        }
    }
    EXPECT_FALSE(folder.exists("CANARY"));
    EXPECT_TRUE(diagnostics->lines().empty());
}

TEST(ShellRunnerStartFailureTest, MissingShellIsReportedWithItsName) {
    TempFolder folder;
    std::filesystem::create_directories(folder.path() / "root");
    LauncherOptions options;
    options.systemRoot = folder / "root";
    auto diagnostics = std::make_shared<CapturingDiagnostics>();
    ShellRunner runner(std::make_shared<PosixProcessLauncher>(options, diagnostics), diagnostics);

    runner.runScript(Script("true"), kScriptMessages);
    EXPECT_EQ(runner.runZshWithResult(Script("true")), "");
    EXPECT_FALSE(runner.executeCommand("/usr/sbin/diskutil", {"list"}));
    EXPECT_EQ(diagnostics->lines(), (std::vector<std::string>{
                                        "⚠️ Non-critical operation skipped: The file “sh” doesn’t exist.",
                                        "❌ Script execution error: The file “zsh” doesn’t exist.",
                                        "❌ Komut hatası: The file “diskutil” doesn’t exist.",
                                    }));
}

}  // namespace
}  // namespace velmora
