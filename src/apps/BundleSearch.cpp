#include "apps/BundleSearch.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

#include "apps/LocalizedText.h"

namespace velmora {

namespace {

std::string lastComponent(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string listingFailure(int error, const std::string& path) {
    const std::string name = lastComponent(path);
    switch (error) {
        case ENOENT: return "The folder “" + name + "” doesn’t exist.";
        case EACCES:
        case EPERM: return "The file “" + name + "” couldn’t be opened because you don’t have permission to view it.";
        case ENOTDIR: return "The file “" + name + "” couldn’t be opened because it isn’t a folder.";
        default: return std::strerror(error);
    }
}

bool endsWithApp(const std::string& name) {
    return name.size() >= 4 && name.compare(name.size() - 4, 4, ".app") == 0;
}

// Whether `path` is a folder; 0 or the error that kept it from being looked
// at. A link to nothing is simply not a folder.
int examine(const std::string& path, bool& isDirectory) {
    struct stat info {};
    isDirectory = false;
    if (::stat(path.c_str(), &info) == 0) {
        isDirectory = S_ISDIR(info.st_mode);
        return 0;
    }
    return errno == ENOENT ? 0 : errno;
}

std::string resolved(const std::string& path) {
    char buffer[PATH_MAX];
    return ::realpath(path.c_str(), buffer) ? std::string(buffer) : path;
}

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

}  // namespace

std::vector<std::string> BundleSearch::findAppsInDirectory(const std::string& path) const {
    std::vector<std::string> branch;
    std::vector<std::string> found;
    search(path, branch, found);
    return found;
}

std::vector<std::string> BundleSearch::scanVolume(const std::string& mountPoint) const {
    std::vector<std::string> found;
    // An empty mount point would make these the internal disk's folders.
    if (mountPoint.empty()) return found;
    struct stat info {};
    const std::string applications = mountPoint + "/Applications";
    if (::stat(applications.c_str(), &info) == 0) found = findAppsInDirectory(applications);
    std::vector<std::string> whole = findAppsInDirectory(mountPoint);
    found.insert(found.end(), whole.begin(), whole.end());
    return found;
}

void BundleSearch::search(const std::string& path, std::vector<std::string>& branch,
                          std::vector<std::string>& found) const {
    std::unique_ptr<DIR, DirCloser> dir(::opendir(path.c_str()));
    if (!dir) {
        const int error = errno;
        diagnostics_->line("❌ " + localizedText(*strings_, "directory_scan_error", {path, listingFailure(error, path)}));
        return;
    }
    std::vector<std::string> names;
    errno = 0;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    // A folder read only in part, or with entries that cannot be looked at,
    // would otherwise pass for one without applications: said once per
    // folder, and the rest of the search goes on.
    int failure = errno;
    dir.reset();

    branch.push_back(resolved(path));
    for (const auto& name : names) {
        const std::string full = path + "/" + name;
        bool folder = false;
        if (endsWithApp(name)) {
            found.push_back(full);
        } else if (const int error = examine(full, folder); error != 0) {
            if (failure == 0) failure = error;
        } else if (folder) {
            if (std::find(branch.begin(), branch.end(), resolved(full)) != branch.end()) continue;
            search(full, branch, found);
        }
    }
    branch.pop_back();
    if (failure != 0) {
        diagnostics_->line("❌ " + localizedText(*strings_, "directory_scan_error", {path, listingFailure(failure, path)}));
    }
}

}  // namespace velmora
