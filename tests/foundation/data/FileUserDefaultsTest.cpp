#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "PlistTestSupport.h"
#include "TemporaryFolder.h"
#include "foundation/defaults/FileUserDefaults.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
const char* const kDomain = "com.velmora.app";
const char* const kCorruptLine = "⚠️ Ayarlar dosyası bozuk, kenara alındı: ";

class FileUserDefaultsTest : public ::testing::Test {
protected:
    std::string prefs() const { return folder_.path() + "/Library/Preferences"; }
    std::unique_ptr<FileUserDefaults> open() const {
        return std::make_unique<FileUserDefaults>(prefs(), kDomain, diagnostics_);
    }
    std::vector<fs::path> filesMatching(const std::string& prefix) const {
        std::vector<fs::path> found;
        std::error_code ignored;
        for (const auto& entry : fs::directory_iterator(prefs(), ignored)) {
            if (entry.path().filename().string().rfind(prefix, 0) == 0) found.push_back(entry.path());
        }
        return found;
    }
    void writeRaw(const std::string& bytes) const {
        fs::create_directories(prefs());
        std::ofstream(prefs() + "/" + kDomain + ".plist", std::ios::binary) << bytes;
    }
    PlistValue fileContent() const {
        auto parsed = parsePlist(testing::readFileBytes(prefs() + "/" + kDomain + ".plist"));
        EXPECT_TRUE(parsed.value.has_value()) << parsed.error;
        return parsed.value.value_or(PlistValue{});
    }

    testing::TemporaryFolder folder_;
    std::shared_ptr<CapturingDiagnostics> diagnostics_ = std::make_shared<CapturingDiagnostics>();
};

TEST_F(FileUserDefaultsTest, FirstWriteCreatesTheFolderAndAPreferencesFile) {
    auto defaults = open();
    EXPECT_EQ(defaults->filePath(), prefs() + "/com.velmora.app.plist");
    defaults->setBool("IsAuthorized", true);
    defaults->setStringList("MarkedAsInternalDisks", {"disk4"});
    const PlistValue content = fileContent();
    EXPECT_EQ(content.boolean("IsAuthorized"), true);
    EXPECT_EQ(content.stringList("MarkedAsInternalDisks"), std::vector<std::string>{"disk4"});
    EXPECT_TRUE(filesMatching(std::string(kDomain) + ".plist.tmp").empty());
    EXPECT_TRUE(diagnostics_->lines().empty());
}

TEST_F(FileUserDefaultsTest, ReadsSeeAnotherInstancesWrites) {
    auto first = open();
    auto second = open();
    EXPECT_FALSE(second->boolValue("AutoStartEnabled"));
    first->setBool("AutoStartEnabled", true);
    EXPECT_TRUE(second->boolValue("AutoStartEnabled"));
    second->setString("Other", "x");
    EXPECT_TRUE(first->boolValue("AutoStartEnabled"));
    EXPECT_EQ(first->stringValue("Other"), "x");
}

TEST_F(FileUserDefaultsTest, AWriteThatChangesNothingLeavesTheFileUntouched) {
    struct Case {
        const char* what;
        std::function<void(FileUserDefaults&)> write;
        bool rewrites;
    };
    const std::vector<Case> cases = {
        {"the same value again", [](FileUserDefaults& d) { d.setBool("PowerManagementActive", false); }, false},
        {"a key that is not there removed", [](FileUserDefaults& d) { d.remove("Missing"); }, false},
        {"another value", [](FileUserDefaults& d) { d.setBool("PowerManagementActive", true); }, true},
        {"a new key", [](FileUserDefaults& d) { d.setString("Other", "x"); }, true},
        {"a key removed", [](FileUserDefaults& d) { d.remove("PowerManagementActive"); }, true},
    };
    int renames = 0;
    FileUserDefaults::setWriteStageHook([&](FileUserDefaults::WriteStage stage) {
        if (stage == FileUserDefaults::WriteStage::renamed) ++renames;
    });
    for (const auto& c : cases) {
        fs::remove_all(prefs());
        auto defaults = open();
        defaults->setBool("PowerManagementActive", false);
        renames = 0;
        c.write(*defaults);
        EXPECT_EQ(renames, c.rewrites ? 1 : 0) << c.what;
    }
    fs::remove_all(prefs());
    open()->remove("Missing");
    EXPECT_FALSE(fs::exists(prefs() + "/" + kDomain + ".plist")) << "no file is made to hold nothing";
    FileUserDefaults::setWriteStageHook(nullptr);
}

struct CorruptCase {
    const char* name;
    std::string bytes;
};

TEST_F(FileUserDefaultsTest, CorruptFileIsMovedAsideOnceAndReadAsEmpty) {
    const std::vector<CorruptCase> cases = {
        {"garbage", "not a plist at all"},
        {"truncated", testing::xmlPlist("<dict><key>IsAuthorized</key><true/></dict>").substr(0, 60)},
        {"array at the top", testing::xmlPlist("<array><string>disk4</string></array>")},
        {"empty file", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const auto& old : filesMatching(std::string(kDomain) + ".plist.corrupt-")) fs::remove(old);
        diagnostics_->clear();
        writeRaw(c.bytes);
        auto defaults = open();
        EXPECT_FALSE(defaults->boolValue("IsAuthorized"));
        EXPECT_FALSE(defaults->boolValue("IsAuthorized"));
        const auto aside = filesMatching(std::string(kDomain) + ".plist.corrupt-");
        ASSERT_EQ(aside.size(), 1u);
        EXPECT_EQ(testing::readFileBytes(aside.front().string()), c.bytes);  // kept, not lost
        ASSERT_EQ(diagnostics_->lines().size(), 1u);
        EXPECT_EQ(diagnostics_->lines().front(), kCorruptLine + aside.front().string());
        defaults->setBool("IsAuthorized", true);
        EXPECT_EQ(fileContent().boolean("IsAuthorized"), true);
        EXPECT_EQ(diagnostics_->lines().size(), 1u);
    }
}

TEST_F(FileUserDefaultsTest, WriteOverACorruptFileKeepsTheBadCopy) {
    writeRaw("<plist><dict><key>broken");
    open()->setString("Name", "value");
    EXPECT_EQ(fileContent().string("Name"), "value");
    EXPECT_EQ(filesMatching(std::string(kDomain) + ".plist.corrupt-").size(), 1u);
    EXPECT_TRUE(diagnostics_->containsSubstring(kCorruptLine));
}

TEST_F(FileUserDefaultsTest, LeftoverTemporaryFilesDoNotDisturbReadsOrWritesAndTheNextStartRemovesThem) {
    auto defaults = open();
    defaults->setInteger("Count", 1);
    // What a writer killed before its rename leaves behind.
    std::ofstream(prefs() + "/" + kDomain + ".plist.tmp-AAAAAA") << "<?xml version=\"1.0\"?><plist><dict><key>Cou";
    std::ofstream(prefs() + "/" + kDomain + ".plist.tmp-BBBBBB") << "";
    EXPECT_EQ(open()->integerValue("Count"), 1);
    defaults->setInteger("Count", 2);
    EXPECT_EQ(open()->integerValue("Count"), 2);
    EXPECT_EQ(filesMatching(std::string(kDomain) + ".plist.tmp").size(), 2u);
    // The next start's first write removes them, and only this domain's.
    std::ofstream(prefs() + "/other.domain.plist.tmp-CCCCCC") << "";
    open()->setInteger("Count", 3);
    EXPECT_TRUE(filesMatching(std::string(kDomain) + ".plist.tmp").empty());
    EXPECT_EQ(filesMatching("other.domain.plist.tmp").size(), 1u);
    EXPECT_EQ(open()->integerValue("Count"), 3);
    EXPECT_TRUE(diagnostics_->lines().empty());
}

TEST_F(FileUserDefaultsTest, ThreadsWritingDifferentKeysLoseNothing) {
    constexpr int kThreads = 4;
    constexpr int kKeys = 15;
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([this, t] {
            // Separate instances, as separate processes would have.
            auto defaults = open();
            for (int k = 0; k < kKeys; ++k) defaults->setInteger("t" + std::to_string(t) + "-" + std::to_string(k), k);
        });
    }
    for (auto& writer : writers) writer.join();
    const PlistValue content = fileContent();
    for (int t = 0; t < kThreads; ++t) {
        for (int k = 0; k < kKeys; ++k) {
            EXPECT_EQ(content.integer("t" + std::to_string(t) + "-" + std::to_string(k)), k) << t << "/" << k;
        }
    }
}

TEST_F(FileUserDefaultsTest, TwoProcessesWritingDifferentKeysLoseNothing) {
    constexpr int kKeys = 40;
    fs::create_directories(prefs());
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        auto defaults = std::make_unique<FileUserDefaults>(prefs(), kDomain, std::make_shared<CapturingDiagnostics>());
        for (int k = 0; k < kKeys; ++k) defaults->setInteger("child-" + std::to_string(k), k);
        ::_exit(0);
    }
    auto defaults = open();
    for (int k = 0; k < kKeys; ++k) defaults->setInteger("parent-" + std::to_string(k), k);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const PlistValue content = fileContent();
    for (int k = 0; k < kKeys; ++k) {
        EXPECT_EQ(content.integer("child-" + std::to_string(k)), k);
        EXPECT_EQ(content.integer("parent-" + std::to_string(k)), k);
    }
}

TEST_F(FileUserDefaultsTest, WriterKilledAtAnyPointLeavesAWholeFile) {
    fs::create_directories(prefs());
    open()->setInteger("Counter", 0);
    // The child writes only when the parent says so and reports each finished
    // write. The parent lets a varying number through, starts one more and
    // kills the child after a varying pause, so the kill lands at a different
    // step of that write each time, and never later than it.
    std::int64_t acknowledged = 0;
    for (int round = 0; round < 12; ++round) {
        int goAhead[2];
        int done[2];
        ASSERT_EQ(::pipe(goAhead), 0);
        ASSERT_EQ(::pipe(done), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(goAhead[1]);
            ::close(done[0]);
            auto defaults = std::make_unique<FileUserDefaults>(prefs(), kDomain, std::make_shared<CapturingDiagnostics>());
            const std::string padding(20000 + round * 1000, 'x');
            char byte = 0;
            for (std::int64_t value = acknowledged + 1; ::read(goAhead[0], &byte, 1) == 1; ++value) {
                defaults->setString("Padding", padding);
                defaults->setInteger("Counter", value);
                if (::write(done[1], &byte, 1) != 1) ::_exit(1);
            }
            ::_exit(0);
        }
        ::close(goAhead[0]);
        ::close(done[1]);
        const int writesBeforeKill = 1 + round % 4;
        char byte = 1;
        for (int i = 0; i < writesBeforeKill; ++i) {
            ASSERT_EQ(::write(goAhead[1], &byte, 1), 1);
            ASSERT_EQ(::read(done[0], &byte, 1), 1);
        }
        ASSERT_EQ(::write(goAhead[1], &byte, 1), 1);
        std::this_thread::sleep_for(std::chrono::microseconds(round * 97));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        ::close(goAhead[1]);
        ::close(done[0]);
        acknowledged += writesBeforeKill;

        const auto parsed = parsePlist(testing::readFileBytes(prefs() + "/" + kDomain + ".plist"));
        ASSERT_TRUE(parsed.value.has_value()) << "round " << round << ": " << parsed.error;
        const auto counter = parsed.value->integer("Counter");
        ASSERT_TRUE(counter.has_value());
        // The acknowledged writes are there; at most the interrupted one is extra.
        EXPECT_GE(*counter, acknowledged);
        EXPECT_LE(*counter, acknowledged + 1);
        acknowledged = *counter;
    }
    EXPECT_TRUE(filesMatching(std::string(kDomain) + ".plist.corrupt-").empty());
}

}  // namespace
}  // namespace velmora
