#include <gtest/gtest.h>

#include "app/AutoStart.h"
#include "app/LoginItemScripts.h"
#include "app/StartupManager.h"
#include "platform/AppleScriptSource.h"
#include "support/TestPlatform.h"

namespace velmora {
namespace {

AppleScriptOutcome result(bool value, std::optional<std::string> text = std::nullopt) {
    AppleScriptOutcome outcome;
    outcome.kind = AppleScriptOutcome::Kind::result;
    outcome.booleanValue = value;
    outcome.stringValue = text;
    return outcome;
}

AppleScriptOutcome error(long number, std::string description = "{NSAppleScriptErrorNumber = x}") {
    AppleScriptOutcome outcome;
    outcome.kind = AppleScriptOutcome::Kind::error;
    outcome.errorNumber = number;
    outcome.errorDescription = std::move(description);
    return outcome;
}

TEST(AppleScriptSource, ValuesBecomeOneLiteral) {
    const std::pair<std::string, std::string> cases[] = {
        {"/Applications/Velmora.app", R"("/Applications/Velmora.app")"},
        {R"(/x/Tools"; do shell script "id)", R"("/x/Tools\"; do shell script \"id")"},
        {R"(C:\dir\)", R"("C:\\dir\\")"},
        {"two\nlines", "\"two\nlines\""},
    };
    for (const auto& [value, literal] : cases) EXPECT_EQ(AppleScriptSource::literal(value), literal);
}

// For an ordinary path the texts are exactly those the login-item list
// expects; only the quoting of the inserted value may differ.
TEST(LoginItemScripts, OrdinaryPathsGiveTheTextsUnchanged) {
    const std::string p = "/Applications/Velmora.app";
    EXPECT_EQ(loginItemScripts::menuAdd(p),
              "tell application \"System Events\"\n    try\n        -- Önce aynı uygulamanın var olup olmadığını kontrol "
              "et\n        set existingItems to login items whose path is \"/Applications/Velmora.app\"\n        if "
              "(count of existingItems) = 0 then\n            make new login item at end with properties "
              "{path:\"/Applications/Velmora.app\", hidden:true}\n        end if\n        return true\n    on error "
              "errorMessage\n        log \"Login item error: \" & errorMessage\n        return false\n    end try\nend "
              "tell");
    EXPECT_EQ(loginItemScripts::windowAdd(p),
              "tell application \"System Events\"\n    try\n        -- Önce aynı uygulamanın var olup olmadığını kontrol "
              "et\n        set existingItems to login items whose path is \"/Applications/Velmora.app\"\n        if "
              "(count of existingItems) = 0 then\n            make new login item at end with properties "
              "{path:\"/Applications/Velmora.app\", hidden:false}\n            log \"Login item added successfully\"\n "
              "       else\n            log \"Login item already exists\"\n        end if\n        return true\n    on "
              "error errorMessage\n        log \"Login item add error: \" & errorMessage\n        return false\n    end "
              "try\nend tell");
    EXPECT_EQ(loginItemScripts::menuRemove(p),
              "tell application \"System Events\"\n    try\n        delete every login item whose path is "
              "\"/Applications/Velmora.app\"\n        return true\n    on error errorMessage\n        log \"Login item "
              "removal error: \" & errorMessage\n        return false\n    end try\nend tell");
    EXPECT_EQ(loginItemScripts::windowRemove(p),
              "tell application \"System Events\"\n    try\n        set itemsToDelete to login items whose path is "
              "\"/Applications/Velmora.app\"\n        repeat with itemToDelete in itemsToDelete\n            delete "
              "itemToDelete\n        end repeat\n        log \"Login items removed successfully\"\n        return true\n "
              "   on error errorMessage\n        log \"Login item removal error: \" & errorMessage\n        return "
              "false\n    end try\nend tell");
    EXPECT_EQ(loginItemScripts::windowPresence("Velmora.app"),
              "tell application \"System Events\"\n    set loginItemExists to false\n    try\n        set "
              "loginItemNames to name of every login item\n        repeat with itemName in loginItemNames\n            "
              "if itemName as string is equal to \"Velmora.app\" then\n                set loginItemExists to true\n  "
              "              exit repeat\n            end if\n        end repeat\n    end try\n    return "
              "loginItemExists\nend tell");
    EXPECT_EQ(loginItemScripts::menuQuery(),
              "tell application \"System Events\"\n    get the name of every login item whose path contains "
              "\"Velmora\"\nend tell");
}

struct StartupManagerTest : ::testing::Test {
    testing::TestPlatform tp;
    std::shared_ptr<StartupManager> make() {
        auto manager = StartupManager::create(tp.platform());
        tp.scheduler->runUntilIdle();
        return manager;
    }
};

TEST_F(StartupManagerTest, StatusComesFromTheStoredFlagOrThePresenceScript) {
    struct Case {
        std::string path;
        std::optional<bool> stored;
        AppleScriptOutcome answer;
        bool expected;
        bool scriptRuns;
    };
    const Case cases[] = {
        {"/Applications/Velmora.app", std::nullopt, result(true), false, false},
        {"/Applications/Velmora.app", true, result(false), true, false},
        // Only the Applications folder itself, not a folder named like it.
        {"/Volumes/USB/Applications Old/Velmora.app", std::nullopt, result(true), true, true},
        {"/Users/me/Build/Velmora.app", std::nullopt, result(true), true, true},
        {"/Users/me/Build/Velmora.app", true, result(false), false, true},
        {"/Users/me/Build/Velmora.app", true, error(-1728), true, true},
        {"/Users/me/Build/Velmora.app", true, AppleScriptOutcome{}, true, true},
    };
    for (const auto& c : cases) {
        testing::TestPlatform fresh;
        tp = fresh;
        tp.bundle.path = c.path;
        if (c.stored) tp.defaults->setBool("startupItemAdded", *c.stored);
        tp.appleScript->setAnswer(c.answer);
        auto manager = make();
        EXPECT_EQ(manager->isStartupEnabled.get(), c.expected) << c.path;
        const auto sources = tp.appleScript->sources();
        EXPECT_EQ(sources.size(), c.scriptRuns ? 1u : 0u);
        if (c.scriptRuns && !sources.empty()) {
            EXPECT_NE(sources[0].find("equal to \"Velmora.app\""), std::string::npos);
        }
        EXPECT_TRUE(tp.diagnostics->contains(std::string("🔍 Startup status check: ") + (c.expected ? "true" : "false")));
        EXPECT_TRUE(tp.diagnostics->contains("📍 Current app URL: " + c.path));
    }
}

TEST_F(StartupManagerTest, EnablingRunsOffTheMainThreadAndFailureLeadsToTheManualAlert) {
    auto manager = make();
    tp.appleScript->setAnswer(result(true));
    manager->enableStartup();
    EXPECT_TRUE(tp.appleScript->sources().empty());  // queued, not run by the caller
    tp.scheduler->runUntilIdle();
    EXPECT_TRUE(manager->isStartupEnabled.get());
    EXPECT_TRUE(tp.defaults->boolValue("startupItemAdded"));
    EXPECT_NE(tp.appleScript->sources().back().find("hidden:false"), std::string::npos);
    EXPECT_TRUE(tp.diagnostics->contains("✅ Startup aktif edildi (Login Items)"));

    tp.appleScript->setAnswer(result(false));
    manager->enableStartup();
    tp.scheduler->runUntilIdle();
    EXPECT_FALSE(manager->isStartupEnabled.get());
    EXPECT_FALSE(tp.defaults->boolValue("startupItemAdded"));
    EXPECT_TRUE(tp.diagnostics->contains("❌ AppleScript hatası: Unknown"));
    EXPECT_TRUE(tp.diagnostics->contains("   4. 'Hide' seçeneğini işaretleyin"));
    const auto alerts = tp.alerts->shown();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].messageText, "Startup Permissions Required");
    EXPECT_EQ(alerts[0].buttons, (std::vector<std::string>{"Open System Preferences", "OK"}));
    EXPECT_EQ(tp.workspace->openedURLs(),
              std::vector<std::string>{"x-apple.systempreferences:com.apple.LoginItems-Settings.extension"});
}

TEST_F(StartupManagerTest, AFailedRemovalKeepsTheStateAndTheFlag) {
    tp.defaults->setBool("startupItemAdded", true);
    auto manager = make();
    ASSERT_TRUE(manager->isStartupEnabled.get());
    tp.appleScript->setAnswer(error(-1728, "{boom}"));
    manager->disableStartup();
    tp.scheduler->runUntilIdle();
    EXPECT_TRUE(manager->isStartupEnabled.get());
    EXPECT_TRUE(tp.defaults->boolValue("startupItemAdded"));
    EXPECT_TRUE(tp.diagnostics->contains("❌ AppleScript hatası: {boom}"));
    EXPECT_TRUE(tp.diagnostics->contains("❌ Startup deaktif edilemedi"));

    tp.appleScript->setAnswer(result(true));
    manager->disableStartup();
    tp.scheduler->runUntilIdle();
    EXPECT_FALSE(manager->isStartupEnabled.get());
    EXPECT_FALSE(tp.defaults->boolValue("startupItemAdded"));
}

TEST(AutoStart, RefusedAutomationShowsTheDialogAndStoresFalse) {
    for (std::size_t button : {0u, 1u, 2u}) {
        testing::TestPlatform tp;
        tp.defaults->setBool("AutoStartEnabled", true);
        tp.alerts->setAnswer(button);
        tp.appleScript->setAnswer(error(-1743));
        auto autoStart = AutoStart::create(tp.platform());
        autoStart->enableAutoStart();
        EXPECT_FALSE(tp.defaults->boolValue("AutoStartEnabled"));
        EXPECT_TRUE(tp.diagnostics->contains("❌ Automation permission needed - Please allow in System Preferences"));
        EXPECT_TRUE(tp.alerts->shown().empty());  // scheduled, not run inside the action
        tp.scheduler->runUntilIdle();
        const auto alerts = tp.alerts->shown();
        ASSERT_EQ(alerts.size(), 1u);
        EXPECT_EQ(alerts[0].messageText, "Automation Permission Required");
        EXPECT_EQ(alerts[0].buttons, (std::vector<std::string>{"Open Security & Privacy", "Open Login Items", "OK"}));
        const std::vector<std::vector<std::string>> urls = {
            {"x-apple.systempreferences:com.apple.preference.security?Privacy_Automation"},
            {"x-apple.systempreferences:com.apple.LoginItems-Settings.extension"},
            {}};
        EXPECT_EQ(tp.workspace->openedURLs(), urls[button]);
    }
}

TEST(AutoStart, OutcomesAndTheRecordedFlag) {
    struct Case {
        bool enable;
        AppleScriptOutcome answer;
        std::optional<bool> stored;  // the flag afterwards, starting from true
        std::string line;
    };
    const Case cases[] = {
        {true, result(true), true, "✅ Otomatik başlatma etkinleştirildi"},
        {true, result(false), false, "❌ Otomatik başlatma eklenemedi: AppleScript false döndü"},
        {true, AppleScriptOutcome{}, false, "❌ Otomatik başlatma eklenemedi: AppleScript false döndü"},
        {true, error(-1728, "{x}"), false, "❌ Otomatik başlatma eklenemedi: {x}"},
        {false, result(true), false, "✅ Otomatik başlatma devre dışı bırakıldı"},
        {false, error(-1728, "{x}"), true, "❌ Otomatik başlatma kaldırılamadı: {x}"},
        {false, result(false), true, "❌ Otomatik başlatma kaldırılamadı: AppleScript false döndü"},
    };
    for (const auto& c : cases) {
        testing::TestPlatform tp;
        tp.defaults->setBool("AutoStartEnabled", true);
        tp.appleScript->setAnswer(c.answer);
        auto autoStart = AutoStart::create(tp.platform());
        c.enable ? autoStart->enableAutoStart() : autoStart->disableAutoStart();
        EXPECT_EQ(tp.defaults->boolValue("AutoStartEnabled"), *c.stored) << c.line;
        EXPECT_TRUE(tp.diagnostics->contains(c.line)) << c.line;
        EXPECT_NE(tp.appleScript->sources().at(0).find(c.enable ? "hidden:true" : "delete every login item"),
                  std::string::npos);
    }
}

TEST(AutoStart, EnabledWhenTheQueryNamesVelmora) {
    struct Case {
        std::optional<std::string> identifier;
        AppleScriptOutcome answer;
        bool expected;
    };
    const Case cases[] = {
        {"com.orrindel.velmora", result(false, "Velmora"), true},
        {"com.orrindel.velmora", result(false, ""), false},
        {"com.orrindel.velmora", error(-1743), false},
        {std::nullopt, result(false, "Velmora"), false},
    };
    for (const auto& c : cases) {
        testing::TestPlatform tp;
        tp.bundle.identifier = c.identifier;
        tp.appleScript->setAnswer(c.answer);
        EXPECT_EQ(AutoStart::create(tp.platform())->isAutoStartEnabled(), c.expected);
        EXPECT_EQ(tp.appleScript->sources().size(), c.identifier ? 1u : 0u);
    }
}

TEST(AutoStart, TheToggleRunsOnItsQueue) {
    testing::TestPlatform tp;
    tp.appleScript->setAnswer(result(true, ""));  // not enabled: the toggle adds
    auto autoStart = AutoStart::create(tp.platform());
    autoStart->toggleAutoStart();
    EXPECT_TRUE(tp.appleScript->sources().empty());
    tp.scheduler->runUntilIdle();
    const auto sources = tp.appleScript->sources();
    ASSERT_EQ(sources.size(), 2u);
    EXPECT_NE(sources[1].find("hidden:true"), std::string::npos);
    EXPECT_TRUE(tp.defaults->boolValue("AutoStartEnabled"));
}

}  // namespace
}  // namespace velmora
