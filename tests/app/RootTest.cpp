#include <gtest/gtest.h>

#include <cstdlib>

#include "app/MainWindowController.h"
#include "app/root/HeadlessWindowHost.h"
#include "app/root/LaunchOptions.h"

namespace velmora {
namespace {

TEST(LaunchOptions, CommandLines) {
    struct Case {
        std::vector<const char*> argv;
        std::optional<int> usage;  // the exit status of a usage answer
        std::optional<std::string> machine;
        std::optional<double> seconds;
    };
    ::setenv("VELMORA_MACHINE", "/from/env", 1);
    const Case cases[] = {
        {{}, std::nullopt, "/from/env", std::nullopt},
        {{"--headless", "--machine", "/m", "--seconds", "2.5"}, std::nullopt, "/m", 2.5},
        {{"--bundle-path", "/A/B.app"}, std::nullopt, "/from/env", std::nullopt},
        {{"--help"}, 0, std::nullopt, std::nullopt},
        {{"--seconds", "0"}, 2, std::nullopt, std::nullopt},
        {{"--seconds", "nan"}, 2, std::nullopt, std::nullopt},
        {{"--seconds", "5x"}, 2, std::nullopt, std::nullopt},
        {{"--machine"}, 2, std::nullopt, std::nullopt},
        {{"--window"}, 2, std::nullopt, std::nullopt},
        // What the system adds to a bundle's launch is no usage error.
        {{"-psn_0_1234567"}, std::nullopt, "/from/env", std::nullopt},
        {{"-NSDocumentRevisionsDebugMode", "YES", "--seconds", "3"}, std::nullopt, "/from/env", 3.0},
        {{"-AppleLanguages", "(tr)", "-psn_0_9"}, std::nullopt, "/from/env", std::nullopt},
        {{"-psn"}, 2, std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        std::vector<const char*> argv{"velmora"};
        argv.insert(argv.end(), c.argv.begin(), c.argv.end());
        const auto parsed = parseLaunchOptions(static_cast<int>(argv.size()), argv.data());
        if (c.usage) {
            ASSERT_TRUE(std::holds_alternative<LaunchUsage>(parsed)) << argv.size();
            EXPECT_EQ(std::get<LaunchUsage>(parsed).status, *c.usage);
            continue;
        }
        ASSERT_TRUE(std::holds_alternative<LaunchOptions>(parsed)) << argv.size();
        const auto& options = std::get<LaunchOptions>(parsed);
        EXPECT_EQ(options.machine, c.machine);
        EXPECT_EQ(options.seconds, c.seconds);
        EXPECT_EQ(options.headless, !c.argv.empty() && std::string(c.argv[0]) == "--headless");
    }
    ::setenv("VELMORA_MACHINE", "", 1);
    const char* bare[] = {"velmora"};
    EXPECT_EQ(std::get<LaunchOptions>(parseLaunchOptions(1, bare)).machine, std::nullopt);
    ::unsetenv("VELMORA_MACHINE");
}

struct CountingView final : RootView {
    int appeared = 0;
    void onAppear() override { ++appeared; }
};

TEST(HeadlessWindowHost, TheScenesWindowAppearsOnceAndShowWindowBringsItBack) {
    auto host = std::make_shared<HeadlessWindowHost>();
    int made = 0;
    auto windows = MainWindowController::create(host, [&] {
        ++made;
        return std::make_shared<CountingView>();
    });
    auto content = std::make_shared<CountingView>();
    auto scene = host->openSceneWindow(content);
    EXPECT_EQ(content->appeared, 1);
    EXPECT_TRUE(host->hasVisibleWindows());

    scene->orderOut();
    EXPECT_FALSE(host->hasVisibleWindows());
    windows->showMainWindow();  // the scene's window, not a new one
    EXPECT_TRUE(scene->isVisible());
    EXPECT_EQ(content->appeared, 1);
    EXPECT_EQ(made, 0);
}

}  // namespace
}  // namespace velmora
