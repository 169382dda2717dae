#pragma once
// The first step at launch: environment variables and defaults that silence
// the system frameworks' debug output, and standard error sent to the null
// device, so only the program's own lines reach the console.
#include <string>
#include <utility>
#include <vector>

#include "platform/Platform.h"

namespace velmora {

// The process's own environment and standard error, behind an interface so
// tests do not change the test runner's.
class ProcessConsole {
public:
    virtual ~ProcessConsole() = default;
    virtual void setEnvironment(const std::string& name, const std::string& value) = 0;
    // False when the null device cannot be opened; standard error is then left alone.
    virtual bool redirectStandardErrorToNull() = 0;
};

// setenv, open, dup2 and close on this process.
class PosixProcessConsole final : public ProcessConsole {
public:
    void setEnvironment(const std::string& name, const std::string& value) override;
    bool redirectStandardErrorToNull() override;
};

// In the order they are set.
const std::vector<std::pair<std::string, std::string>>& consoleFilteringEnvironment();

// Main thread, before any other thread reads the environment.
void setupConsoleFiltering(const Platform& platform, ProcessConsole& console);

}  // namespace velmora
