#include "foundation/defaults/FileUserDefaults.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <system_error>

namespace velmora {
namespace {

std::mutex stageHookMutex;
std::function<void(FileUserDefaults::WriteStage)> stageHook;

void reachStage(FileUserDefaults::WriteStage stage) {
    std::function<void(FileUserDefaults::WriteStage)> hook;
    {
        std::lock_guard lock(stageHookMutex);
        hook = stageHook;
    }
    if (hook) hook(stage);
}

// An open descriptor that is closed on every path out.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Closes now so the caller can see the error (a late write failure shows here).
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

// Holds an exclusive flock on the lock file for its lifetime. The lock file
// is separate from the data file because the data file is replaced by
// rename, and a lock on a replaced inode would guard nothing.
class ExclusiveFileLock {
public:
    explicit ExclusiveFileLock(const std::string& path)
        : descriptor_(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
        if (!descriptor_.valid()) return;
        while (::flock(descriptor_.get(), LOCK_EX) != 0) {
            if (errno != EINTR) return;
        }
        locked_ = true;
    }
    bool locked() const { return locked_; }

private:
    Descriptor descriptor_;
    bool locked_ = false;
};

std::string errorText(int error) { return std::strerror(error); }

bool writeAll(int fd, const std::string& bytes) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        written += static_cast<std::size_t>(n);
    }
    return true;
}

std::optional<std::string> readAll(int fd) {
    std::string content;
    char buffer[16384];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;
        }
        if (n == 0) return content;
        content.append(buffer, static_cast<std::size_t>(n));
    }
}

std::string utcStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    ::gmtime_r(&now, &parts);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y%m%dT%H%M%SZ", &parts);
    return buffer;
}

}  // namespace

FileUserDefaults::FileUserDefaults(std::string folder, std::string domain, std::shared_ptr<Diagnostics> diagnostics)
    : folder_(std::move(folder)), domain_(std::move(domain)), diagnostics_(std::move(diagnostics)) {}

std::string FileUserDefaults::filePath() const { return folder_ + "/" + domain_ + ".plist"; }

std::string FileUserDefaults::lockPath() const { return filePath() + ".lock"; }

std::optional<PlistValue> FileUserDefaults::object(const std::string& key) const {
    std::lock_guard lock(mutex_);
    const PlistDictionary values = currentValues();
    const auto it = values.find(key);
    if (it == values.end()) return std::nullopt;
    return it->second;
}

void FileUserDefaults::set(const std::string& key, const PlistValue& value) {
    change([&](PlistDictionary& values) { values.insert_or_assign(key, value); });
}

void FileUserDefaults::remove(const std::string& key) {
    change([&](PlistDictionary& values) { values.erase(key); });
}

FileUserDefaults::Snapshot FileUserDefaults::load() const {
    Descriptor file(::open(filePath().c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.valid()) return {errno == ENOENT ? FileState::missing : FileState::unreadable, {}};
    const auto bytes = readAll(file.get());
    if (!bytes) return {FileState::unreadable, {}};
    auto parsed = parsePlist(*bytes);
    if (!parsed.value || !parsed.value->asDictionary()) return {FileState::corrupt, {}};
    return {FileState::readable, *parsed.value->asDictionary()};
}

void FileUserDefaults::moveCorruptFileAside() const {
    const std::string path = filePath();
    std::string aside = path + ".corrupt-" + utcStamp();
    for (int suffix = 2; ::access(aside.c_str(), F_OK) == 0; ++suffix) {
        aside = path + ".corrupt-" + utcStamp() + "-" + std::to_string(suffix);
    }
    if (::rename(path.c_str(), aside.c_str()) != 0) {
        diagnostics_->line("❌ Bozuk ayarlar dosyası kenara alınamadı: " + path + ": " + errorText(errno));
        return;
    }
    diagnostics_->line("⚠️ Ayarlar dosyası bozuk, kenara alındı: " + aside);
}

PlistDictionary FileUserDefaults::currentValues() const {
    Snapshot snapshot = load();
    if (snapshot.state != FileState::corrupt) return std::move(snapshot.values);
    // Look again under the writers' lock: another process may have replaced
    // the file since, and its good file must not be moved aside.
    const ExclusiveFileLock lock(lockPath());
    if (!lock.locked()) return {};
    snapshot = load();
    if (snapshot.state == FileState::corrupt) moveCorruptFileAside();
    return std::move(snapshot.values);
}

void FileUserDefaults::change(const std::function<void(PlistDictionary&)>& edit) {
    std::lock_guard guard(mutex_);
    std::error_code error;
    std::filesystem::create_directories(folder_, error);
    const ExclusiveFileLock lock(lockPath());
    if (!lock.locked()) {
        diagnostics_->line("❌ Ayarlar kaydedilemedi: " + filePath() + ": " + errorText(errno));
        return;
    }
    if (!tidied_) {
        removeLeftoverTemporaries();
        tidied_ = true;
    }
    // Start from what is on disk now, so keys another process wrote survive.
    Snapshot snapshot = load();
    switch (snapshot.state) {
        case FileState::readable:
        case FileState::missing: break;
        case FileState::corrupt: moveCorruptFileAside(); break;
        case FileState::unreadable:
            // Writing now would replace settings that could not be read.
            diagnostics_->line("❌ Ayarlar dosyası okunamadı, kaydedilmedi: " + filePath());
            return;
    }
    const PlistDictionary before = snapshot.values;
    edit(snapshot.values);
    // Owners store a value again and again when nothing changed (a state
    // re-announced on every pass); rewriting and syncing the file for that
    // would cost tens of milliseconds on the main thread each time.
    if (snapshot.state == FileState::readable && snapshot.values == before) return;
    if (snapshot.state == FileState::missing && snapshot.values.empty()) return;
    writeFile(snapshot.values);
}

// A writer's temporary file lives only while it holds the writers' lock, so
// under that lock every one of this domain's is a killed writer's leftover.
void FileUserDefaults::removeLeftoverTemporaries() const {
    const std::string prefix = domain_ + ".plist.tmp-";
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder_, error)) {
        if (entry.path().filename().string().rfind(prefix, 0) == 0) std::filesystem::remove(entry.path(), error);
    }
}

void FileUserDefaults::setWriteStageHook(std::function<void(WriteStage)> hook) {
    std::lock_guard lock(stageHookMutex);
    stageHook = std::move(hook);
}

void FileUserDefaults::writeFile(const PlistDictionary& values) {
    const std::string path = filePath();
    std::string temporary = path + ".tmp-XXXXXX";
    Descriptor file(::mkostemp(temporary.data(), O_CLOEXEC));
    auto fail = [&](bool removeTemporary) {
        const int saved = errno;
        if (removeTemporary) ::unlink(temporary.c_str());
        diagnostics_->line("❌ Ayarlar kaydedilemedi: " + path + ": " + errorText(saved));
    };
    if (!file.valid()) return fail(false);
    const std::string text = toXmlPlist(PlistValue(values));
    const std::size_t half = text.size() / 2;
    if (!writeAll(file.get(), text.substr(0, half))) return fail(true);
    reachStage(WriteStage::halfWritten);
    if (!writeAll(file.get(), text.substr(half)) || ::fsync(file.get()) != 0 || !file.close()) return fail(true);
    reachStage(WriteStage::written);
    if (::rename(temporary.c_str(), path.c_str()) != 0) return fail(true);
    reachStage(WriteStage::renamed);
    // The rename itself must reach the disk, or a crash could bring back the old file.
    Descriptor folder(::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.valid()) ::fsync(folder.get());
}

}  // namespace velmora
