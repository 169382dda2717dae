#pragma once
// Where the window's libraries live in a program of their own (off a Mac),
// the program without them hands a run that wants a window over to it, in
// place (same process, same arguments), before anything has started. A run
// that stays headless then never maps the toolkit: about half of its
// resident memory.
#include <string>

namespace velmora {

// Empty when the environment names no display; otherwise why.
std::string missingDisplay();

// Replaces this process with `program` (a name beside this program's own
// file, or an absolute path) and the same arguments. Returns only when that
// could not be done, with the reason.
std::string handOverToWindowProgram(const std::string& program, char** argv);

}  // namespace velmora
