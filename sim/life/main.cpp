// velmora-life DIR --seed S --hours H [--faults LIST] [--scale F] [--real-tools] [--shared-queries] [--verbose]
// One seeded simulated life of the program against a fresh simulated Mac in
// DIR; exits 0 when every invariant held, 1 after the first violation.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <streambuf>
#include <string>

#include "sim/life/LifeRun.h"
#include "sim/state/ScenarioLibrary.h"
#include "sim/state/ToolTree.h"

namespace {

// The report's stream over the descriptor that was stdout before the tools'
// log took its place; it closes the descriptor when done. Every C++ library
// can build this one (libstdc++'s stdio_filebuf is its own extension).
// Unbuffered: what is written reaches the report at once, flush or not.
class DescriptorBuffer : public std::streambuf {
public:
    explicit DescriptorBuffer(int fd) : fd_(fd) {}
    DescriptorBuffer(const DescriptorBuffer&) = delete;
    DescriptorBuffer& operator=(const DescriptorBuffer&) = delete;
    ~DescriptorBuffer() override { ::close(fd_); }

protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        const char ch = traits_type::to_char_type(c);
        return writeAll(&ch, 1) ? c : traits_type::eof();
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override { return writeAll(s, n) ? n : 0; }

private:
    bool writeAll(const char* s, std::streamsize n) {
        while (n > 0) {
            const ssize_t written = ::write(fd_, s, static_cast<size_t>(n));
            if (written < 0 && errno == EINTR) continue;
            if (written <= 0) return false;
            s += written;
            n -= written;
        }
        return true;
    }

    int fd_;
};

int usage() {
    std::cerr << "usage: velmora-life DIR --seed S --hours H [--faults hang,slow,fail,garble,missing,truncate,nonUTF8,huge|none] [--scale F] "
                 "[--real-tools] [--shared-queries] [--verbose]\n";
    return 64;
}

}  // namespace

int main(int argc, char** argv) {
    velmora::life::LifeOptions options;
    bool seeded = false;
    try {
        for (int i = 1; i < argc; ++i) {
            const std::string arg = argv[i];
            auto value = [&]() -> std::string {
                if (i + 1 >= argc) throw std::invalid_argument(arg + " needs a value");
                return argv[++i];
            };
            if (arg == "--seed") {
                options.seed = std::stoull(value());
                seeded = true;
            } else if (arg == "--hours") {
                options.hours = std::stod(value());
            } else if (arg == "--scale") {
                options.timeScale = std::stod(value());
            } else if (arg == "--faults") {
                std::istringstream list(value());
                for (std::string kind; std::getline(list, kind, ',');)
                    if (kind != "none") options.faults.push_back(kind);
                if (options.faults.empty()) options.faults.push_back("none");
            } else if (arg == "--real-tools") {
                options.inProcessTools = false;
            } else if (arg == "--verbose") {
                options.verbose = true;
            } else if (arg == "--shared-queries") {
                options.sharedQueries = true;
            } else if (!arg.empty() && arg[0] != '-' && options.dir.empty()) {
                options.dir = arg;
            } else {
                return usage();
            }
        }
    } catch (const std::exception& error) {
        std::cerr << "velmora-life: " << error.what() << '\n';
        return usage();
    }
    if (options.dir.empty() || options.hours <= 0 || options.timeScale <= 0) return usage();
    if (!seeded) options.seed = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    options.scenarioFolder = velmora::sim::ScenarioLibrary::folderFor(velmora::sim::ToolTree::programFolder());
    options.toolBinary = velmora::sim::ToolTree::programFolder() + "/velmora-sim-tool";

    // The stand-in tools and scripts write to the descriptors they inherit;
    // their output goes to a log beside DIR, the run's report stays here.
    std::cout.flush();
    const int report = ::dup(1);
    const std::string log = options.dir + ".log";
    std::filesystem::create_directories(std::filesystem::path(options.dir).parent_path());
    const int logFd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (report >= 0 && logFd >= 0) {
        ::dup2(logFd, 1);
        ::dup2(logFd, 2);
        ::close(logFd);
    }
    DescriptorBuffer reportBuffer(report >= 0 ? report : ::dup(1));
    std::ostream out(&reportBuffer);
    options.report = &out;
    out << "velmora-life: seed " << options.seed << ", " << options.hours << " simulated hour(s) in "
              << options.dir << std::endl;
    const auto began = std::chrono::steady_clock::now();
    velmora::life::LifeRun life(options);
    const int status = life.run();
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    const auto& f = life.figures();
    out << (status == 0 ? "PASS" : "FAIL") << ": seed " << options.seed << ", " << f.steps << " steps, "
              << f.faultsInjected << " faults injected, " << f.checks << " checks, " << f.launches << " launches, "
              << f.kills << " kill -9 (" << f.killsInWrite << " inside a settings write), " << f.toolRuns << " tool runs ("
              << f.inProcessToolRuns << " in-process, " << f.toolRuns - f.inProcessToolRuns << " real processes; "
              << f.deadlines << " hit a deadline), " << static_cast<long>(wall) << " s wall ("
              << (wall > 0 ? f.virtualHours * 3600 / wall : 0) << " simulated seconds a second); tool output in "
              << log << std::endl;
    return status;
}
