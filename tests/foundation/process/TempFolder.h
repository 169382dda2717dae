#pragma once
// A private temporary folder for process tests, removed with everything in it.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace velmora::testing {

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "velmora-process-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string operator/(const std::string& relative) const { return (path_ / relative).string(); }

    std::string write(const std::string& relative, const std::string& contents, bool executable = false) const {
        const auto file = path_ / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << contents;
        ::chmod(file.c_str(), executable ? 0755 : 0644);
        return file.string();
    }
    std::string link(const std::string& relative, const std::string& target) const {
        const auto file = path_ / relative;
        std::filesystem::create_directories(file.parent_path());
        std::filesystem::create_symlink(target, file);
        return file.string();
    }
    bool exists(const std::string& relative) const { return std::filesystem::exists(path_ / relative); }

private:
    std::filesystem::path path_;
};

}  // namespace velmora::testing
