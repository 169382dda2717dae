#pragma once
// The machine's program tree: every system tool path the program or its
// scripts can reach is a symlink to the one stand-in binary, which tells the
// tools apart by the name it was started under. The shells are the host's
// (zsh is stood in for by bash), and DIR/.velmora-sim/host-bin holds links to
// the host's harmless text utilities only, so a script's PATH reaches nothing
// else of the host.
#include <string>
#include <vector>

namespace velmora::sim {

struct ToolLink {
    std::string path;  // relative to the machine folder, e.g. "usr/sbin/diskutil"
    std::string tool;  // the program name the stand-in dispatches on
};

class ToolTree {
public:
    static const std::vector<ToolLink>& links();
    // Names of the host utilities linked into host-bin (those the host has).
    static const std::vector<std::string>& hostUtilityNames();
    static std::string hostUtilityFolder(const std::string& machineDir);  // DIR/.velmora-sim/host-bin
    // The tool's name for a program path relative to the root, or "".
    static std::string toolForPath(const std::string& relativePath);
    static bool isKnownTool(const std::string& tool);
    // The folder of the running program's binary: velmora-sim and
    // velmora-life find the stand-in binary and the scenarios beside it.
    static std::string programFolder();

    // Creates every link (replacing stale ones) and remembers the binary so a
    // removed tool can be restored later.
    static void install(const std::string& machineDir, const std::string& toolBinary);
    // "missing" fault: the tool's links disappear so starting it really fails.
    static void removeTool(const std::string& machineDir, const std::string& tool);
    static void restoreTool(const std::string& machineDir, const std::string& tool);
};

}  // namespace velmora::sim
