// velmora-sim-tool: the one binary behind every stand-in tool of a simulated
// Mac. It tells the tools apart by the name it was started under
// (DIR/usr/sbin/diskutil → diskutil), or takes the tool as its first
// argument (velmora-sim-tool diskutil list). The machine comes from
// VELMORA_SIM_MACHINE, else from an absolute program path inside it.
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <string>
#include <unistd.h>
#include <vector>

#include "sim/state/Machine.h"
#include "sim/state/ToolTree.h"
#include "sim/tools/ToolRunner.h"

namespace {

void writeAll(int fd, const std::string& text) {
    const char* data = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        ssize_t n = ::write(fd, data, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;  // reader gone: the rest is dropped like a real tool's
        data += n;
        left -= static_cast<std::size_t>(n);
    }
}

std::string baseName(const std::string& path) {
    auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// DIR from an absolute program path DIR/<tool path>.
std::string machineFromProgramPath(const std::string& program) {
    if (program.empty() || program[0] != '/') return "";
    for (const auto& link : velmora::sim::ToolTree::links()) {
        std::string suffix = "/" + link.path;
        if (program.size() > suffix.size() && program.compare(program.size() - suffix.size(), suffix.size(), suffix) == 0) {
            return program.substr(0, program.size() - suffix.size());
        }
    }
    return "";
}

// A simulated life runs the program on virtual time and sets
// VELMORA_SIM_TIME_SCALE (real seconds per simulated second): a tool's own
// waits (top's sampling interval, a slow fault) shrink by that factor.
double timeScale() {
    static const double scale = [] {
        const char* text = std::getenv("VELMORA_SIM_TIME_SCALE");
        if (text == nullptr || *text == '\0') return 1.0;
        char* end = nullptr;
        const double value = std::strtod(text, &end);
        return end != text && value > 0 && value <= 1 ? value : 1.0;
    }();
    return scale;
}

// A simulated life hands each tool process its virtual clock in
// VELMORA_SIM_NOW (seconds since the Unix epoch, as the program's scheduler
// reads it when the process starts); otherwise tools read the host's clock.
double machineNow() {
    const char* text = std::getenv("VELMORA_SIM_NOW");
    if (text == nullptr || *text == '\0') return velmora::sim::Machine::now();
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    return end != text && *end == '\0' && value > 0 ? value : velmora::sim::Machine::now();
}

void realSleep(double seconds) {
    seconds *= timeScale();
    struct timespec wait {};
    wait.tv_sec = static_cast<time_t>(seconds);
    wait.tv_nsec = static_cast<long>((seconds - static_cast<double>(wait.tv_sec)) * 1e9);
    while (::nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::signal(SIGPIPE, SIG_IGN);
    std::string invokedAs = argc > 0 && argv[0] ? argv[0] : "velmora-sim-tool";
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    std::string tool = baseName(invokedAs);
    if (tool == "velmora-sim-tool") {
        if (args.empty()) {
            writeAll(2, "usage: velmora-sim-tool TOOL [ARGUMENTS...]\n");
            return 64;
        }
        tool = args.front();
        invokedAs = tool;
        args.erase(args.begin());
    }

    const char* fromEnvironment = std::getenv("VELMORA_SIM_MACHINE");
    std::string directory = fromEnvironment && *fromEnvironment ? fromEnvironment : machineFromProgramPath(invokedAs);
    if (directory.empty()) {
        writeAll(2, tool + ": no simulated machine (set VELMORA_SIM_MACHINE)\n");
        return 70;
    }

    velmora::sim::Machine machine(directory);
    if (!machine.exists()) {
        writeAll(2, tool + ": no simulated machine at " + directory + "\n");
        return 70;
    }
    velmora::sim::ToolRunRequest request;
    request.tool = tool;
    request.arguments = std::move(args);
    request.invokedAs = invokedAs;
    request.now = machineNow();
    request.sleeper = realSleep;
    velmora::sim::ToolRunResult result = velmora::sim::ToolRunner::run(machine, request);
    if (result.hangs) {
        for (;;) ::pause();
    }
    writeAll(1, result.out);
    writeAll(2, result.err);
    return result.exitStatus;
}
