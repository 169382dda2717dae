#include "foundation/process/ShellRunner.h"

namespace velmora {

namespace {

const std::string kShell = "/bin/sh";
const std::string kZsh = "/bin/zsh";

}  // namespace

ShellRunner::ShellRunner(std::shared_ptr<ProcessLauncher> launcher, std::shared_ptr<Diagnostics> diagnostics)
    : launcher_(std::move(launcher)), diagnostics_(std::move(diagnostics)) {}

// A run that hit its deadline or the output cap produced nothing usable, so
// every runner treats it like a failed start and prints that message.
void ShellRunner::runScript(const Script& script, const SudoRunnerMessages& messages) const {
    runPlainScript(script, messages, false);
}

std::shared_ptr<BackgroundJobs> ShellRunner::runScriptKeepingJobs(const Script& script,
                                                                  const SudoRunnerMessages& messages) const {
    return runPlainScript(script, messages, true);
}

std::shared_ptr<BackgroundJobs> ShellRunner::runPlainScript(const Script& script, const SudoRunnerMessages& messages,
                                                            bool keepJobs) const {
    const auto text = script.textWithoutSudo();
    if (!text) {
        diagnostics_->line(messages.skipped);
        return nullptr;
    }
    RunSpec request;
    request.program = kShell;
    request.arguments = {"-c", *text};
    request.effect = script.effect();
    request.error = ErrorWiring::nullDevice;
    request.keepJobs = keepJobs;
    RunResult result = launcher_->run(request);
    if (!result.started()) diagnostics_->line(messages.startFailure + result.errorDescription);
    return std::move(result.jobs);
}

std::string ShellRunner::runScriptWithOutput(const Script& script, const SudoRunnerMessages& messages) const {
    const auto text = script.textWithoutSudo();
    if (!text) {
        diagnostics_->line(messages.skipped);
        return {};
    }
    RunSpec request;
    request.program = kShell;
    request.arguments = {"-c", *text};
    request.effect = script.effect();
    request.output = OutputWiring::pipe;
    request.error = ErrorWiring::nullDevice;
    const RunResult result = launcher_->run(request);
    if (!result.started()) {
        diagnostics_->line(messages.startFailure + result.errorDescription);
        return {};
    }
    return decodeUTF8(result.output).value_or(std::string());
}

std::string ShellRunner::runZshWithResult(const Script& script) const {
    RunSpec request;
    request.program = kZsh;
    request.arguments = {"-c", script.text()};
    request.effect = script.effect();
    request.output = OutputWiring::pipe;
    request.error = ErrorWiring::mergeIntoOutput;
    const RunResult result = launcher_->run(request);
    if (!result.started()) {
        diagnostics_->line("❌ Script execution error: " + result.errorDescription);
        return {};
    }
    return decodeUTF8(result.output).value_or(std::string());
}

bool ShellRunner::executeCommand(const std::string& program, const std::vector<std::string>& arguments) const {
    RunSpec request;
    request.program = program;
    request.arguments = arguments;
    const RunResult result = launcher_->run(request);
    if (!result.started()) {
        diagnostics_->line("❌ Komut hatası: " + result.errorDescription);
        return false;
    }
    return result.succeeded();
}

}  // namespace velmora
