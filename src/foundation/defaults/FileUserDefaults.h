#pragma once
// Defaults persisted as an XML property list (the format of a macOS
// preferences file) at folder/domain.plist. Every write is atomic (temporary
// file, flush, rename) and serialized with other processes by a lock file, and
// re-reads the file first so another process's keys are kept; a write that
// would leave the file as it is does not touch it. A corrupt file is
// moved aside (with a diagnostic line) and read as empty, never silently lost.
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "foundation/defaults/UserDefaults.h"
#include "foundation/diagnostics/Diagnostics.h"

namespace velmora {

class FileUserDefaults final : public UserDefaults {
public:
    FileUserDefaults(std::string folder, std::string domain, std::shared_ptr<Diagnostics> diagnostics);
    std::optional<PlistValue> object(const std::string& key) const override;
    void set(const std::string& key, const PlistValue& value) override;
    void remove(const std::string& key) override;
    std::string filePath() const;

    // How far a write has gone: half of the temporary file written, all of
    // it written and synced, renamed over the file.
    enum class WriteStage { halfWritten, written, renamed };
    // Called at each stage of every write in this process, so a simulated
    // crash can stop the writer there (by throwing); empty: none.
    static void setWriteStageHook(std::function<void(WriteStage)> hook);

private:
    enum class FileState { missing, readable, corrupt, unreadable };
    struct Snapshot {
        FileState state = FileState::missing;
        PlistDictionary values;
    };

    // Reads the file afresh every time: a cache keyed by inode, size and
    // modification time can be fooled by a reused inode within one clock tick.
    Snapshot load() const;
    void moveCorruptFileAside() const;
    // Values as the file holds them now (empty when missing or corrupt).
    PlistDictionary currentValues() const;
    void change(const std::function<void(PlistDictionary&)>& edit);
    void writeFile(const PlistDictionary& values);
    void removeLeftoverTemporaries() const;
    std::string lockPath() const;

    std::string folder_;
    std::string domain_;
    std::shared_ptr<Diagnostics> diagnostics_;
    mutable std::mutex mutex_;
    bool tidied_ = false;  // leftovers of killed writers removed, once per start
};

}  // namespace velmora
