#pragma once
// A scratch machine plus ways to run its stand-in tools: in-process through
// the runner (no real waits), or as real processes through the tool links.
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "foundation/plist/PlistValue.h"
#include "sim/tools/ToolRunner.h"
#include "tests/sim/SimTestSupport.h"

namespace velmora::sim::testing {

class ToolFixture : public ::testing::Test {
protected:
    explicit ToolFixture(const std::string& scenario = "default") : mac_(scenario) {}

    ToolRunResult run(const std::string& tool, std::vector<std::string> arguments, double now = Machine::now()) {
        ToolRunRequest request;
        request.tool = tool;
        request.arguments = std::move(arguments);
        request.now = now;
        request.sleeper = [this](double seconds) { slept_.push_back(seconds); };
        return ToolRunner::run(mac_.machine(), request);
    }

    // The tool as its own process, started through its link in the machine.
    CommandResult runLinked(const std::string& relativePath, const std::vector<std::string>& arguments,
                            double deadline = 20) {
        return runHost(mac_.dir() + "/" + relativePath, arguments, deadline);
    }

    // A shell script whose PATH reaches only the machine's tools and the
    // host's text utilities, as the program's scripts run.
    CommandResult runScript(const std::string& script, double deadline = 20) {
        const std::string& d = mac_.dir();
        std::string path = d + "/usr/bin:" + d + "/bin:" + d + "/usr/sbin:" + d + "/sbin:" + d + "/.velmora-sim/host-bin";
        return runHost("/bin/sh", {"-c", "PATH='" + path + "'; export PATH; VELMORA_SIM_MACHINE='" + d +
                                             "'; export VELMORA_SIM_MACHINE; " + script},
                       deadline);
    }

    template <typename F>
    void change(F&& f) {
        mac_.machine().update([&](MachineState& s) { f(s); });
    }
    MachineState state() { return mac_.machine().read(); }
    const std::string& dir() const { return mac_.dir(); }
    const std::string& scratch() const { return mac_.scratch(); }
    Machine& machine() { return mac_.machine(); }

    static PlistValue parsed(const std::string& text) {
        auto result = parsePlist(text);
        EXPECT_TRUE(result.value.has_value()) << result.error << "\n" << text.substr(0, 400);
        return result.value.value_or(PlistValue());
    }

    std::vector<double> slept_;

private:
    ScratchMachine mac_;
};

// Sets TZ for one test and puts the old zone back.
class TimeZone {
public:
    explicit TimeZone(const char* zone) {
        const char* old = std::getenv("TZ");
        had_ = old != nullptr;
        if (had_) old_ = old;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~TimeZone() {
        if (had_) {
            ::setenv("TZ", old_.c_str(), 1);
        } else {
            ::unsetenv("TZ");
        }
        ::tzset();
    }

private:
    bool had_ = false;
    std::string old_;
};

inline std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        result.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return result;
}

}  // namespace velmora::sim::testing
