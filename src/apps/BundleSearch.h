#pragma once
// Finds application bundles under a folder: every entry whose name ends in
// ".app" (not looked into), and everything below the other folders, depth
// first in listing order. Symbolic links are followed, but a folder that
// resolves to one already open on the current branch is not entered again, so
// a link cycle ends. Runs on a background thread; touches no shared state
// except the diagnostic lines.
#include <memory>
#include <string>
#include <vector>

#include "foundation/diagnostics/Diagnostics.h"
#include "foundation/strings/StringTable.h"

namespace velmora {

class BundleSearch {
public:
    BundleSearch(std::shared_ptr<Diagnostics> diagnostics, std::shared_ptr<const StringTable> strings)
        : diagnostics_(std::move(diagnostics)), strings_(std::move(strings)) {}

    std::vector<std::string> findAppsInDirectory(const std::string& path) const;
    // The volume's Applications folder (when it exists), then the whole volume;
    // bundles in Applications are therefore listed twice.
    std::vector<std::string> scanVolume(const std::string& mountPoint) const;

private:
    void search(const std::string& path, std::vector<std::string>& branch, std::vector<std::string>& found) const;
    std::shared_ptr<Diagnostics> diagnostics_;
    std::shared_ptr<const StringTable> strings_;
};

}  // namespace velmora
