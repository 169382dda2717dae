#pragma once
// The program's reusable runners: one implementation, parameterised by the
// owner's messages. Every run waits for the child (within its deadline) on the
// caller's thread.
#include <memory>
#include <string>
#include <vector>

#include "foundation/diagnostics/Diagnostics.h"
#include "foundation/process/ProcessLauncher.h"
#include "foundation/process/Script.h"

namespace velmora {

// What differs between the sudo-rule runners: their two messages, which each
// owner keeps with its own code.
struct SudoRunnerMessages {
    std::string skipped;       // printed when "sudo" remains after the rule
    std::string startFailure;  // followed by the error's description
};

class ShellRunner {
public:
    ShellRunner(std::shared_ptr<ProcessLauncher> launcher, std::shared_ptr<Diagnostics> diagnostics);

    // "/bin/sh" "-c" script after the sudo rule; output inherited, error to the
    // null device; result ignored.
    void runScript(const Script& script, const SudoRunnerMessages& messages) const;
    // Same, for a script that leaves background jobs: they are handed back
    // (null when the script did not run to its end).
    std::shared_ptr<BackgroundJobs> runScriptKeepingJobs(const Script& script,
                                                         const SudoRunnerMessages& messages) const;
    // Same, output captured; empty text on refusal, start failure or non-UTF-8 output.
    std::string runScriptWithOutput(const Script& script, const SudoRunnerMessages& messages) const;
    // "/bin/zsh" "-c" the unchanged script, output and error into one pipe;
    // empty text on start failure ("❌ Script execution error: …") or non-UTF-8 output.
    std::string runZshWithResult(const Script& script) const;
    // The program with its arguments, streams inherited; true when it exits 0.
    // A start failure prints "❌ Komut hatası: " + description.
    bool executeCommand(const std::string& program, const std::vector<std::string>& arguments) const;

    ProcessLauncher& launcher() const { return *launcher_; }
    Diagnostics& diagnostics() const { return *diagnostics_; }

private:
    std::shared_ptr<BackgroundJobs> runPlainScript(const Script& script, const SudoRunnerMessages& messages,
                                                   bool keepJobs) const;

    std::shared_ptr<ProcessLauncher> launcher_;
    std::shared_ptr<Diagnostics> diagnostics_;
};

}  // namespace velmora
