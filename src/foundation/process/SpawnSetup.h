#pragma once
// The posix_spawn file actions and attributes of one run: the child gets only
// descriptors 0–2 (wired as asked), its own process group, an empty signal
// mask and default signal dispositions.
#include <spawn.h>

namespace velmora {

class SpawnSetup {
public:
    SpawnSetup();
    ~SpawnSetup();
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    // A descriptor < 0 leaves that stream inherited unless it goes to the null
    // device. Returns 0 or the error of the step that failed.
    int prepare(int outputFd, int errorFd, bool outputToNull, bool errorToNull);

    const posix_spawn_file_actions_t* actions() const { return &actions_; }
    const posix_spawnattr_t* attributes() const { return &attributes_; }

private:
    posix_spawn_file_actions_t actions_;
    posix_spawnattr_t attributes_;
};

}  // namespace velmora
