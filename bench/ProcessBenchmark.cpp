// Cost of one captured run of /bin/echo through the launcher, against the
// smallest hand-written fork/exec/pipe/read/waitpid that does the same.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "foundation/process/PosixProcessLauncher.h"

namespace {

void launcherEcho(benchmark::State& state) {
    velmora::PosixProcessLauncher launcher(velmora::LauncherOptions{}, nullptr);
    velmora::RunSpec request;
    request.program = "/bin/echo";
    request.arguments = {"hello"};
    request.output = velmora::OutputWiring::pipe;
    for (auto _ : state) {
        const velmora::RunResult result = launcher.run(request);
        if (result.output != "hello\n") state.SkipWithError("unexpected output");
        benchmark::DoNotOptimize(result.output.data());
    }
}
BENCHMARK(launcherEcho)->UseRealTime();

void forkExecEcho(benchmark::State& state) {
    char program[] = "/bin/echo";
    char word[] = "hello";
    char* argv[] = {program, word, nullptr};
    for (auto _ : state) {
        int ends[2];
        if (::pipe(ends) != 0) {
            state.SkipWithError("pipe failed");
            break;
        }
        ::fcntl(ends[0], F_SETFD, FD_CLOEXEC);
        ::fcntl(ends[1], F_SETFD, FD_CLOEXEC);
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::dup2(ends[1], STDOUT_FILENO);
            ::execv(program, argv);
            ::_exit(127);
        }
        ::close(ends[1]);
        std::string output;
        char buffer[4096];
        ssize_t got;
        while ((got = ::read(ends[0], buffer, sizeof buffer)) > 0) output.append(buffer, static_cast<std::size_t>(got));
        ::close(ends[0]);
        int status = 0;
        ::waitpid(pid, &status, 0);
        if (output != "hello\n") state.SkipWithError("unexpected output");
        benchmark::DoNotOptimize(output.data());
    }
}
BENCHMARK(forkExecEcho)->UseRealTime();

}  // namespace
