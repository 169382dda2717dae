#pragma once
// A process launcher for unit tests: answers runs from rules instead of
// starting processes, and records every run. Thread-safe.
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "foundation/process/ProcessLauncher.h"

namespace velmora::testing {

class ScriptedProcessLauncher final : public ProcessLauncher {
public:
    using Matcher = std::function<bool(const RunSpec&)>;
    using Answer = std::function<RunResult(const RunSpec&)>;

    RunResult run(const RunSpec& request) override;

    // Rules are tried newest first; `times` < 0 means forever.
    void on(Matcher matcher, Answer answer, int times = -1);
    // Exact program and arguments.
    void onCommand(const std::string& program, const std::vector<std::string>& arguments, RunResult result, int times = -1);
    // A shell run ("/bin/sh" or "/bin/zsh" with "-c") whose script contains `fragment`.
    void onScriptContaining(const std::string& fragment, RunResult result, int times = -1);
    // Answer for runs no rule matches (default: exited 0 with empty output).
    void setFallback(Answer answer);

    std::vector<RunSpec> runs() const;
    // Each run as "program arg1 arg2 …", in order.
    std::vector<std::string> commandLines() const;
    // Script texts of all shell runs, in order.
    std::vector<std::string> scripts() const;
    // Shell scripts containing `fragment`.
    std::size_t countScriptsContaining(const std::string& fragment) const;
    // Runs of `program` (any arguments).
    std::vector<RunSpec> runsOf(const std::string& program) const;
    void clearRecord();

    static RunResult exited(int status, std::string output = "");
    static RunResult startFailure(std::string description = "The file doesn’t exist.");

private:
    struct Rule {
        Matcher matcher;
        Answer answer;
        int remaining;
    };
    mutable std::mutex mutex_;
    std::vector<Rule> rules_;
    std::optional<Answer> fallback_;
    std::vector<RunSpec> runs_;
};

}  // namespace velmora::testing
