#include "sim/state/Machine.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>

namespace velmora::sim {

namespace {

std::string errnoText(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + std::strerror(errno);
}

// Holds an flock on the machine's lock file for its lifetime. The lock file
// is never replaced, so every process locks the same inode.
class FolderLock {
public:
    FolderLock(const std::string& path, int operation) {
        fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd_ < 0) throw MachineError(errnoText("cannot open", path));
        while (::flock(fd_, operation) != 0) {
            if (errno != EINTR) {
                ::close(fd_);
                throw MachineError(errnoText("cannot lock", path));
            }
        }
    }
    ~FolderLock() { ::close(fd_); }  // closing releases the lock
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int fd_ = -1;
};

bool readWholeFile(const std::string& path, std::string& into) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return false;
        throw MachineError(errnoText("cannot open", path));
    }
    into.clear();
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            throw MachineError(errnoText("cannot read", path));
        }
        if (n == 0) break;
        into.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return true;
}

void writeAll(int fd, const std::string& text, const std::string& path) {
    std::size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw MachineError(errnoText("cannot write", path));
        done += static_cast<std::size_t>(n);
    }
}

void ensureFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) throw MachineError(errnoText("cannot create", path));
}

std::atomic<unsigned> temporaryCounter{0};

}  // namespace

Machine::Machine(std::string directory) : directory_(std::move(directory)) {
    while (directory_.size() > 1 && directory_.back() == '/') directory_.pop_back();
}

std::string Machine::stateFile() const { return directory_ + "/.velmora-sim/state.json"; }
std::string Machine::journalFile() const { return directory_ + "/.velmora-sim/journal.log"; }
std::string Machine::volumesFolder() const { return directory_ + "/Volumes"; }

bool Machine::exists() const {
    struct stat info {};
    return ::stat(stateFile().c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

static std::string lockFileOf(const std::string& directory) { return directory + "/.velmora-sim/state.lock"; }

// The program's own services read the state several times a second and it
// seldom changes in between: the last state read from each file is kept with
// the text it came from, and the same text is not parsed again.
static MachineState readUnlocked(const std::string& stateFile) {
    struct Remembered {
        std::string text;
        MachineState state;
    };
    static std::mutex mutex;
    static std::map<std::string, Remembered> remembered;

    std::string text;
    if (!readWholeFile(stateFile, text)) return MachineState{};
    {
        std::lock_guard lock(mutex);
        if (auto it = remembered.find(stateFile); it != remembered.end() && it->second.text == text)
            return it->second.state;
    }
    MachineState state = stateFromText(text);
    std::lock_guard lock(mutex);
    remembered[stateFile] = Remembered{std::move(text), state};
    return state;
}

// Temporary file in the same folder, flushed to disk, then renamed over the
// state file: a reader sees the old state or the new one, never half of one.
static void writeUnlocked(const std::string& directory, const std::string& stateFile, const MachineState& state) {
    std::string text = stateToText(state);
    std::string temporary = stateFile + ".tmp." + std::to_string(::getpid()) + "." + std::to_string(temporaryCounter++);
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) throw MachineError(errnoText("cannot create", temporary));
    try {
        writeAll(fd, text, temporary);
        if (::fsync(fd) != 0) throw MachineError(errnoText("cannot flush", temporary));
    } catch (...) {
        ::close(fd);
        ::unlink(temporary.c_str());
        throw;
    }
    ::close(fd);
    if (::rename(temporary.c_str(), stateFile.c_str()) != 0) {
        int saved = errno;
        ::unlink(temporary.c_str());
        errno = saved;
        throw MachineError(errnoText("cannot replace", stateFile));
    }
    int folder = ::open((directory + "/.velmora-sim").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}

MachineState Machine::read() const {
    struct stat info {};
    if (::stat((directory_ + "/.velmora-sim").c_str(), &info) != 0) return MachineState{};
    FolderLock lock(lockFileOf(directory_), LOCK_SH);
    return readUnlocked(stateFile());
}

void Machine::write(const MachineState& state) {
    ensureFolder(directory_);
    ensureFolder(directory_ + "/.velmora-sim");
    FolderLock lock(lockFileOf(directory_), LOCK_EX);
    writeUnlocked(directory_, stateFile(), state);
}

void Machine::lockedUpdate(const std::function<void(MachineState&)>& change) {
    ensureFolder(directory_);
    ensureFolder(directory_ + "/.velmora-sim");
    FolderLock lock(lockFileOf(directory_), LOCK_EX);
    MachineState state = readUnlocked(stateFile());
    change(state);
    writeUnlocked(directory_, stateFile(), state);
}

void Machine::appendJournal(const JournalEntry& entry) {
    ensureFolder(directory_ + "/.velmora-sim");
    nlohmann::json j{{"time", entry.time}, {"argv", entry.argv}, {"exitStatus", entry.exitStatus}};
    std::string line = j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
    std::string path = journalFile();
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) throw MachineError(errnoText("cannot open", path));
    // One write call: with O_APPEND the kernel places the whole line at the end.
    ssize_t n;
    do {
        n = ::write(fd, line.data(), line.size());
    } while (n < 0 && errno == EINTR);
    int saved = errno;
    ::close(fd);
    if (n < 0) {
        errno = saved;
        throw MachineError(errnoText("cannot append to", path));
    }
}

std::vector<JournalEntry> Machine::journal() const {
    std::string text;
    std::vector<JournalEntry> entries;
    if (!readWholeFile(journalFile(), text)) return entries;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        auto j = nlohmann::json::parse(text.begin() + static_cast<std::ptrdiff_t>(start),
                                       text.begin() + static_cast<std::ptrdiff_t>(end), nullptr, false);
        start = end + 1;
        if (!j.is_object()) continue;
        try {
            JournalEntry entry;
            entry.time = j.value("time", 0.0);
            entry.argv = j.value("argv", std::vector<std::string>{});
            entry.exitStatus = j.value("exitStatus", 0);
            entries.push_back(std::move(entry));
        } catch (const nlohmann::json::exception&) {
            // A line of the wrong shape is skipped like an unparsable one.
        }
    }
    return entries;
}

void Machine::clearJournal() {
    if (::truncate(journalFile().c_str(), 0) != 0 && errno != ENOENT) {
        throw MachineError(errnoText("cannot clear", journalFile()));
    }
}

MachineClock Machine::clockOr(MachineClock clock) { return clock ? std::move(clock) : MachineClock(&Machine::now); }

double Machine::now() {
    struct timespec ts {};
    ::clock_gettime(CLOCK_REALTIME, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

}  // namespace velmora::sim
