#include <gtest/gtest.h>

#include <unistd.h>

#include <condition_variable>
#include <future>
#include <memory>
#include <thread>

#include "SimTestSupport.h"
#include "sim/services/SimAppleScriptRunner.h"
#include "sim/services/SimNotificationCenter.h"
#include "sim/services/SimPowerAssertions.h"
#include "sim/services/SimWorkspace.h"

namespace velmora::sim {
namespace {

using testing::ScratchMachine;

TEST(SimPowerAssertions, HeldAssertionsAreVisibleInTheMachineUntilTheProcessEnds) {
    ScratchMachine mac("empty");
    auto owned = std::make_unique<SimPowerAssertions>(mac.shared());
    SimPowerAssertions& power = *owned;
    std::uint32_t first = 0, second = 0;
    EXPECT_EQ(power.create("PreventUserIdleSystemSleep", 255, "Velmora USB protection", first), 0);
    EXPECT_EQ(power.create("PreventSystemSleep", 255, "Velmora", second), 0);
    EXPECT_NE(first, 0u);
    EXPECT_NE(first, second);
    auto held = mac.machine().read().assertions;
    ASSERT_EQ(held.size(), 2u);
    EXPECT_EQ(held[0].pid, static_cast<int>(::getpid()));
    EXPECT_EQ(held[0].name, "Velmora USB protection");

    EXPECT_EQ(power.release(first), 0);
    EXPECT_EQ(power.release(first), SimPowerAssertions::kIOReturnBadArgument);  // released twice
    EXPECT_EQ(power.release(0), SimPowerAssertions::kIOReturnBadArgument);
    EXPECT_EQ(mac.machine().read().assertions.size(), 1u);

    owned.reset();  // what the system does for a process that ends
    EXPECT_TRUE(mac.machine().read().assertions.empty());
}

TEST(SimWorkspace, OnlyApplicationsAreRunningApplications) {
    ScratchMachine mac;
    SimWorkspace workspace(mac.shared());
    auto apps = workspace.runningApplications();
    bool sawFinder = false;
    for (const auto& app : apps) {
        EXPECT_NE(app.localizedName, "launchd");
        EXPECT_NE(app.localizedName, "WindowServer");
        if (app.bundleIdentifier == "com.apple.finder") {
            sawFinder = true;
            EXPECT_EQ(app.activationPolicy, ActivationPolicy::regular);
            EXPECT_TRUE(app.launchDate.has_value());
            EXPECT_EQ(app.bundlePath, "/System/Library/CoreServices/Finder.app");
        }
        if (app.bundleIdentifier == "com.apple.dock") {
            EXPECT_EQ(app.activationPolicy, ActivationPolicy::prohibited);
        }
    }
    EXPECT_TRUE(sawFinder);

    EXPECT_TRUE(workspace.openURL("x-apple.systempreferences:com.apple.LoginItems-Settings.extension"));
    EXPECT_FALSE(workspace.openURL(""));
    EXPECT_EQ(mac.machine().read().openedURLs,
              std::vector<std::string>{"x-apple.systempreferences:com.apple.LoginItems-Settings.extension"});
}

// The login-item scripts as the program sends them, with the application
// path or name inserted.
std::string addScript(const std::string& path, bool hidden) {
    std::string text =
        "tell application \"System Events\"\n"
        "    try\n"
        "        -- Önce aynı uygulamanın var olup olmadığını kontrol et\n"
        "        set existingItems to login items whose path is \"" + path + "\"\n"
        "        if (count of existingItems) = 0 then\n"
        "            make new login item at end with properties {path:\"" + path + "\", hidden:" +
        (hidden ? "true" : "false") + "}\n";
    if (!hidden) {
        text += "            log \"Login item added successfully\"\n"
                "        else\n"
                "            log \"Login item already exists\"\n";
    }
    text += "        end if\n"
            "        return true\n"
            "    on error errorMessage\n"
            "        log \"Login item " + std::string(hidden ? "" : "add ") + "error: \" & errorMessage\n"
            "        return false\n"
            "    end try\n"
            "end tell";
    return text;
}

const std::string kQuery =
    "tell application \"System Events\"\n    get the name of every login item whose path contains \"Velmora\"\nend tell";

std::string deleteEveryScript(const std::string& path) {
    return "tell application \"System Events\"\n    try\n        delete every login item whose path is \"" + path +
           "\"\n        return true\n    on error errorMessage\n        log \"Login item removal error: \" & "
           "errorMessage\n        return false\n    end try\nend tell";
}

std::string deleteEachScript(const std::string& path) {
    return "tell application \"System Events\"\n    try\n        set itemsToDelete to login items whose path is \"" +
           path +
           "\"\n        repeat with itemToDelete in itemsToDelete\n            delete itemToDelete\n        end "
           "repeat\n        log \"Login items removed successfully\"\n        return true\n    on error errorMessage\n"
           "        log \"Login item removal error: \" & errorMessage\n        return false\n    end try\nend tell";
}

std::string presenceScript(const std::string& name) {
    return "tell application \"System Events\"\n    set loginItemExists to false\n    try\n        set loginItemNames "
           "to name of every login item\n        repeat with itemName in loginItemNames\n            if itemName as "
           "string is equal to \"" + name +
           "\" then\n                set loginItemExists to true\n                exit repeat\n            end if\n"
           "        end repeat\n    end try\n    return loginItemExists\nend tell";
}

TEST(SimAppleScriptRunner, LoginItemScriptsWorkOnTheMachineState) {
    ScratchMachine mac("empty");
    SimAppleScriptRunner runner(mac.shared());
    const std::string app = "/Users/me/Build Products/Velmora.app";

    auto query = runner.execute(kQuery);
    ASSERT_EQ(query.kind, AppleScriptOutcome::Kind::result);
    EXPECT_EQ(query.stringValue, "");

    auto added = runner.execute(addScript(app, true));
    ASSERT_EQ(added.kind, AppleScriptOutcome::Kind::result);
    EXPECT_TRUE(added.booleanValue);
    EXPECT_TRUE(runner.execute(addScript(app, false)).booleanValue);  // same path: no second item
    auto items = mac.machine().read().loginItems;
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].path, app);
    EXPECT_EQ(items[0].name, "Velmora");
    EXPECT_TRUE(items[0].hidden);

    EXPECT_EQ(runner.execute(kQuery).stringValue, "Velmora");
    // System Events names the item without ".app".
    EXPECT_TRUE(runner.execute(presenceScript("Velmora")).booleanValue);
    EXPECT_FALSE(runner.execute(presenceScript("Velmora.app")).booleanValue);

    EXPECT_TRUE(runner.execute(deleteEachScript(app)).booleanValue);
    EXPECT_TRUE(mac.machine().read().loginItems.empty());
    EXPECT_TRUE(runner.execute(addScript(app, false)).booleanValue);
    EXPECT_FALSE(mac.machine().read().loginItems[0].hidden);
    EXPECT_TRUE(runner.execute(deleteEveryScript("/Applications/Other.app")).booleanValue);
    EXPECT_EQ(mac.machine().read().loginItems.size(), 1u);
    EXPECT_TRUE(runner.execute(deleteEveryScript(app)).booleanValue);
    EXPECT_TRUE(mac.machine().read().loginItems.empty());
}

TEST(SimAppleScriptRunner, DeniedAutomationAndUnknownScriptsAreErrors) {
    ScratchMachine mac("empty");
    SimAppleScriptRunner runner(mac.shared());
    const std::string unknown[] = {"", "display dialog \"hi\"", kQuery + " -- extra",
                                   "tell application \"System Events\" to shut down",
                                   addScript("/A.app", true) + "\ndo shell script \"reboot\""};
    for (const auto& script : unknown) {
        auto outcome = runner.execute(script);
        EXPECT_EQ(outcome.kind, AppleScriptOutcome::Kind::error) << script;
        EXPECT_EQ(outcome.errorNumber, SimAppleScriptRunner::kSyntaxError) << script;
    }
    EXPECT_TRUE(mac.machine().read().loginItems.empty());

    mac.machine().update([](MachineState& s) { s.automationAllowed = false; });
    for (const auto& script : {kQuery, addScript("/A/Velmora.app", true), presenceScript("Velmora")}) {
        auto outcome = runner.execute(script);
        ASSERT_EQ(outcome.kind, AppleScriptOutcome::Kind::error);
        EXPECT_EQ(outcome.errorNumber, -1743);
        EXPECT_NE(outcome.errorDescription.find("Not authorized to send Apple events to System Events."),
                  std::string::npos);
    }
    EXPECT_TRUE(mac.machine().read().loginItems.empty());
}

TEST(SimAppleScriptRunner, IndentationDoesNotMatterButStringContentDoes) {
    ScratchMachine mac("empty");
    SimAppleScriptRunner runner(mac.shared());
    std::string tabbed = addScript("/X/My  Velmora.app", true);
    for (auto pos = tabbed.find("    "); pos != std::string::npos; pos = tabbed.find("    ", pos)) tabbed.replace(pos, 4, "\t");
    EXPECT_TRUE(runner.execute(tabbed).booleanValue);
    EXPECT_EQ(mac.machine().read().loginItems.at(0).path, "/X/My  Velmora.app");
    // Two different paths in the two places is not the program's script.
    std::string mixed = addScript("/A/Velmora.app", true);
    mixed.replace(mixed.rfind("/A/Velmora.app"), 14, "/B/Velmora.app");
    EXPECT_EQ(runner.execute(mixed).kind, AppleScriptOutcome::Kind::error);
}

// Paths arrive as AppleScript string literals: escapes are decoded, and a
// literal the real compiler would reject is a syntax error, never a path.
TEST(SimAppleScriptRunner, ReadsValuesAsStringLiterals) {
    ScratchMachine mac("empty");
    SimAppleScriptRunner runner(mac.shared());
    struct Case {
        std::string literalBody;  // between the quotes, as sent
        std::optional<std::string> path;
    };
    const Case cases[] = {
        {R"(/Users/a\"; do shell script \"touch /tmp/x\"; \"/Velmora.app)",
         R"(/Users/a"; do shell script "touch /tmp/x"; "/Velmora.app)"},
        {R"(/A\\B/Velmora.app)", R"(/A\B/Velmora.app)"},
        {R"(/ends with backslash\\)", R"(/ends with backslash\)"},
        {R"(/tab\there)", "/tab\there"},
        {"/two\nlines", "/two\nlines"},
        {R"(/bad \q escape)", std::nullopt},
        {R"(/open"; do shell script "reboot)", std::nullopt},
    };
    for (const auto& c : cases) {
        mac.machine().update([](MachineState& s) { s.loginItems.clear(); });
        auto outcome = runner.execute(addScript(c.literalBody, true));
        if (!c.path) {
            EXPECT_EQ(outcome.errorNumber, SimAppleScriptRunner::kSyntaxError) << c.literalBody;
            EXPECT_TRUE(mac.machine().read().loginItems.empty());
            continue;
        }
        EXPECT_TRUE(outcome.booleanValue) << c.literalBody;
        const auto items = mac.machine().read().loginItems;
        ASSERT_EQ(items.size(), 1u) << c.literalBody;
        EXPECT_EQ(items[0].path, *c.path);
    }
}

TEST(SimNotificationCenter, AnswersComeFromTheMachineOnAnotherThread) {
    ScratchMachine mac("empty");
    mac.machine().update([](MachineState& s) {
        s.notificationAuthorization = "notDetermined";
        s.notificationRequestGranted = false;
    });
    SimNotificationCenter center(mac.shared());
    const auto caller = std::this_thread::get_id();

    std::promise<std::pair<bool, std::thread::id>> requested;
    center.requestAuthorization([&](bool granted, std::optional<std::string> error) {
        EXPECT_FALSE(error.has_value());
        requested.set_value({granted, std::this_thread::get_id()});
    });
    auto [granted, thread] = requested.get_future().get();
    EXPECT_FALSE(granted);
    EXPECT_NE(thread, caller);
    EXPECT_EQ(mac.machine().read().notificationAuthorization, "denied");

    center.add({"n1", "USB Disk Bağlandı", "Velmora SSD", true});  // denied: not delivered
    std::promise<void> drained;
    center.getAuthorizationStatus([&](NotificationAuthorization) { drained.set_value(); });
    drained.get_future().wait();
    mac.machine().update([](MachineState& s) { s.notificationAuthorization = "authorized"; });
    std::promise<NotificationAuthorization> status;
    center.add({"n2", "USB Disk Ayrıldı", "Velmora SSD", true});
    center.getAuthorizationStatus([&](NotificationAuthorization a) { status.set_value(a); });
    EXPECT_EQ(status.get_future().get(), NotificationAuthorization::authorized);
    auto delivered = mac.machine().read().notifications;  // completions run in order
    ASSERT_EQ(delivered.size(), 1u);
    EXPECT_EQ(delivered[0].identifier, "n2");
    EXPECT_EQ(delivered[0].title, "USB Disk Ayrıldı");
    EXPECT_GT(delivered[0].time, 0);
}

TEST(SimNotificationCenter, QueuedWorkFinishesBeforeDestruction) {
    ScratchMachine mac("empty");
    mac.machine().update([](MachineState& s) { s.notificationAuthorization = "provisional"; });
    {
        SimNotificationCenter center(mac.shared());
        for (int i = 0; i < 5; ++i) center.add({"id" + std::to_string(i), "T", "B", true});
    }
    EXPECT_EQ(mac.machine().read().notifications.size(), 5u);
}

}  // namespace
}  // namespace velmora::sim
