#pragma once
// Starting one child: the program at `path` with its arguments and
// environment, standard output and error wired as asked, in a process group of
// its own, with an empty signal mask, default signal dispositions and no
// descriptor beyond 0–2.
#include <sys/types.h>

namespace velmora {

struct ChildWiring {
    int outputFd = -1;  // becomes standard output; < 0 leaves it inherited unless outputToNull
    int errorFd = -1;   // likewise for standard error
    bool outputToNull = false;
    bool errorToNull = false;
};

// 0 with the child's pid in `pid`, or the errno value of the step that
// failed; a child that failed before its program ran is already reaped.
int startChild(const char* path, char* const argv[], char* const envp[], const ChildWiring& wiring, pid_t& pid);

}  // namespace velmora
