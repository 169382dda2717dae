#pragma once
// The environment block handed to every child of one launcher. Built once:
// without a system root or extra variables the children simply inherit the
// program's live environment; otherwise a snapshot is taken with PATH limited
// to the root's tool folders and the extra variables applied.
#include <map>
#include <string>
#include <vector>

namespace velmora {

struct LauncherOptions;

class ChildEnvironment {
public:
    explicit ChildEnvironment(const LauncherOptions& options);
    ChildEnvironment(const ChildEnvironment&) = delete;
    ChildEnvironment& operator=(const ChildEnvironment&) = delete;

    char* const* block() const;
    // The block's entries with `extra` added or replaced, for one child.
    std::vector<std::string> entriesWith(const std::map<std::string, std::string>& extra) const;

private:
    bool inherit_ = true;
    std::vector<std::string> entries_;
    std::vector<char*> pointers_;
};

}  // namespace velmora
