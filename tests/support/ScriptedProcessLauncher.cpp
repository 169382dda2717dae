#include "support/ScriptedProcessLauncher.h"

namespace velmora::testing {

namespace {
bool isShell(const RunSpec& request) {
    return (request.program == "/bin/sh" || request.program == "/bin/zsh") && request.arguments.size() == 2 &&
           request.arguments[0] == "-c";
}
}  // namespace

RunResult ScriptedProcessLauncher::run(const RunSpec& request) {
    Answer answer;
    {
        std::lock_guard lock(mutex_);
        runs_.push_back(request);
        for (auto it = rules_.rbegin(); it != rules_.rend(); ++it) {
            if (it->remaining == 0 || !it->matcher(request)) continue;
            if (it->remaining > 0) --it->remaining;
            answer = it->answer;
            break;
        }
        if (!answer && fallback_) answer = *fallback_;
    }
    RunResult result = answer ? answer(request) : exited(0);
    if (!request.wait && result.outcome == RunResult::Outcome::exited) result.outcome = RunResult::Outcome::notWaited;
    if (result.outcome == RunResult::Outcome::exited || result.outcome == RunResult::Outcome::notWaited) {
        if (request.output != OutputWiring::pipe) result.output.clear();
    }
    return result;
}

void ScriptedProcessLauncher::on(Matcher matcher, Answer answer, int times) {
    std::lock_guard lock(mutex_);
    rules_.push_back({std::move(matcher), std::move(answer), times});
}

void ScriptedProcessLauncher::onCommand(const std::string& program, const std::vector<std::string>& arguments,
                                        RunResult result, int times) {
    on([program, arguments](const RunSpec& s) { return s.program == program && s.arguments == arguments; },
       [result](const RunSpec&) { return result; }, times);
}

void ScriptedProcessLauncher::onScriptContaining(const std::string& fragment, RunResult result, int times) {
    on([fragment](const RunSpec& s) { return isShell(s) && s.arguments[1].find(fragment) != std::string::npos; },
       [result](const RunSpec&) { return result; }, times);
}

void ScriptedProcessLauncher::setFallback(Answer answer) {
    std::lock_guard lock(mutex_);
    fallback_ = std::move(answer);
}

std::vector<std::string> ScriptedProcessLauncher::commandLines() const {
    std::vector<std::string> lines;
    for (const auto& run : runs()) {
        std::string line = run.program;
        for (const auto& argument : run.arguments) line += " " + argument;
        lines.push_back(std::move(line));
    }
    return lines;
}

std::vector<RunSpec> ScriptedProcessLauncher::runs() const {
    std::lock_guard lock(mutex_);
    return runs_;
}

std::vector<std::string> ScriptedProcessLauncher::scripts() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> out;
    for (const auto& request : runs_)
        if (isShell(request)) out.push_back(request.arguments[1]);
    return out;
}

std::size_t ScriptedProcessLauncher::countScriptsContaining(const std::string& fragment) const {
    std::size_t n = 0;
    for (const auto& s : scripts())
        if (s.find(fragment) != std::string::npos) ++n;
    return n;
}

std::vector<RunSpec> ScriptedProcessLauncher::runsOf(const std::string& program) const {
    std::lock_guard lock(mutex_);
    std::vector<RunSpec> out;
    for (const auto& request : runs_)
        if (request.program == program) out.push_back(request);
    return out;
}

void ScriptedProcessLauncher::clearRecord() {
    std::lock_guard lock(mutex_);
    runs_.clear();
}

RunResult ScriptedProcessLauncher::exited(int status, std::string output) {
    RunResult r;
    r.outcome = RunResult::Outcome::exited;
    r.exitStatus = status;
    r.pid = 4242;
    r.output = std::move(output);
    return r;
}

RunResult ScriptedProcessLauncher::startFailure(std::string description) {
    RunResult r;
    r.outcome = RunResult::Outcome::startFailed;
    r.errorDescription = std::move(description);
    return r;
}

}  // namespace velmora::testing
