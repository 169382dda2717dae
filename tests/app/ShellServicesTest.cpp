#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/ConsoleFiltering.h"
#include "app/NotificationPath.h"
#include "app/StatusMenu.h"
#include "app/UserNotifications.h"
#include "support/TestPlatform.h"

namespace velmora {
namespace {

using Status = NotificationAuthorization;

TEST(NotificationPermission, EachStatusWithAndWithoutAnEarlierRequest) {
    struct Case {
        Status status;
        std::string line;  // empty: the user is asked
    };
    const Case cases[] = {
        {Status::authorized, "📱 Bildirim izni zaten aktif"},
        {Status::provisional, "📱 Bildirim izni zaten aktif"},
        {Status::denied, "⚠️ Bildirim izni kullanıcı tarafından reddedildi - Sistem Ayarlarından açabilirsiniz"},
        {Status::ephemeral, "📱 Geçici bildirim izni aktif"},
        {Status::notDetermined, ""},
    };
    for (const auto& c : cases) {
        for (bool askedBefore : {false, true}) {
            testing::TestPlatform tp;
            if (askedBefore) tp.defaults->setBool("NotificationPermissionRequested", true);
            tp.notifications->setStatus(c.status);
            requestNotificationPermission(tp.platform());
            tp.scheduler->runUntilIdle();
            const bool asks = c.line.empty() && !askedBefore;
            EXPECT_EQ(tp.notifications->requestCount(), asks ? 1 : 0);
            EXPECT_TRUE(tp.defaults->boolValue("NotificationPermissionRequested"));
            const std::string expected =
                !c.line.empty() ? c.line
                : askedBefore   ? "📵 Bildirim izni daha önce istendi, tekrar istenmeyecek"
                                : "✅ Bildirim izni verildi";
            EXPECT_EQ(tp.diagnostics->lines(), std::vector<std::string>{expected});
        }
    }
}

TEST(NotificationPermission, TheAnswerToTheRequest) {
    struct Case {
        bool granted;
        std::optional<std::string> error;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {true, std::nullopt, {"✅ Bildirim izni verildi"}},
        {false, std::nullopt, {"📵 Bildirim izni reddedildi - Önemli USB durumları için manuel kontrol gerekli"}},
        {false, "Notifications are not allowed for this application", {}},
        {false, "The operation couldn’t be completed.", {"❌ Bildirim izni hatası: The operation couldn’t be completed."}},
    };
    for (const auto& c : cases) {
        testing::TestPlatform tp;
        tp.notifications->setRequestAnswer(c.granted, c.error);
        requestNotificationPermission(tp.platform());
        EXPECT_FALSE(tp.defaults->boolValue("NotificationPermissionRequested"));  // written on the main thread
        tp.scheduler->runUntilIdle();
        EXPECT_TRUE(tp.defaults->boolValue("NotificationPermissionRequested"));
        EXPECT_EQ(tp.diagnostics->lines(), c.lines);
    }
}

TEST(SendNotification, EachHasAFreshIdentifierAndTheDefaultSound) {
    testing::TestPlatform tp;
    sendNotification(tp.platform(), "USB Disk Bağlandı", "Velmora SSD başarıyla bağlandı");
    sendNotification(tp.platform(), "USB Disk Bağlandı", "Velmora SSD başarıyla bağlandı");
    const auto sent = tp.notifications->delivered();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_NE(sent[0].identifier, sent[1].identifier);
    EXPECT_EQ(sent[0].identifier.size(), 36u);
    EXPECT_EQ(sent[0].title, "USB Disk Bağlandı");
    EXPECT_EQ(sent[0].body, "Velmora SSD başarıyla bağlandı");
    EXPECT_TRUE(sent[0].defaultSound);
}

TEST(NotificationPath, OnePathForEachNotificationAndNoRequestWhereTheCenterIsUnusable) {
    struct Case {
        std::optional<std::string> unavailable;
        bool hasFallback;
        std::size_t toCenter, toFallback;
        std::string line;
    };
    const Case cases[] = {
        {std::nullopt, true, 1, 0, "✅ Bildirim izni verildi"},
        {std::nullopt, false, 1, 0, "✅ Bildirim izni verildi"},
        {"ad hoc signature", true, 0, 1,
         "📵 Notification Center unavailable: ad hoc signature; notifications appear on the menu-bar item instead"},
        {"ad hoc signature", false, 0, 0,
         "📵 Notification Center unavailable: ad hoc signature; notifications are not shown"},
    };
    for (const auto& c : cases) {
        testing::TestPlatform tp;
        tp.notifications->unavailable = c.unavailable;
        std::size_t fallbackPosts = 0;
        NotificationPath::Fallback fallback;
        if (c.hasFallback) fallback = [&](const NotificationRequest&) { ++fallbackPosts; };
        Platform platform = tp.platform();
        platform.notifications = std::make_shared<NotificationPath>(tp.notifications, fallback);
        requestNotificationPermission(platform);
        tp.scheduler->runUntilIdle();
        sendNotification(platform, "USB Disk Bağlandı", "Velmora SSD başarıyla bağlandı");
        EXPECT_EQ(tp.notifications->delivered().size(), c.toCenter);
        EXPECT_EQ(fallbackPosts, c.toFallback);
        EXPECT_EQ(tp.diagnostics->lines(), std::vector<std::string>{c.line});
        // Only a centre that could be asked is recorded as asked.
        EXPECT_EQ(tp.notifications->requestCount(), c.unavailable ? 0 : 1);
        EXPECT_EQ(tp.defaults->boolValue("NotificationPermissionRequested"), !c.unavailable);
    }
}

struct RecordingConsole final : ProcessConsole {
    std::vector<std::string> calls;
    bool nullDeviceOpens = true;
    void setEnvironment(const std::string& name, const std::string& value) override {
        calls.push_back(name + "=" + value);
    }
    bool redirectStandardErrorToNull() override {
        calls.push_back("stderr");
        return nullDeviceOpens;
    }
};

TEST(ConsoleFiltering, EnvironmentDefaultsAndStandardErrorInOrder) {
    testing::TestPlatform tp;
    tp.defaults->setStringList("AppleLanguages", {"tr", "de"});
    RecordingConsole console;
    setupConsoleFiltering(tp.platform(), console);
    ASSERT_EQ(console.calls.size(), 30u);
    EXPECT_EQ(console.calls.front(), "OS_ACTIVITY_MODE=disable");
    EXPECT_EQ(console.calls[28], "LANGUAGE_CODE_DEBUG=NO");
    EXPECT_EQ(console.calls.back(), "stderr");
    EXPECT_EQ(tp.defaults->stringList("AppleLanguages"), std::vector<std::string>{"en"});
    EXPECT_EQ(tp.defaults->object("NSXPCInterfaceDebugLevel"), PlistValue(std::int64_t{0}));
    EXPECT_EQ(tp.defaults->object("IMKEndpointDebugEnabled"), PlistValue(false));
    const auto lines = tp.diagnostics->lines();
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0], "🚀 Velmora başlatıldı");
    EXPECT_EQ(lines[2], "🔇 Sistem debug mesajları filtrelendi:");
    EXPECT_EQ(lines[6], "   • AFDevice eligibility uyarıları");
}

// The real console sends standard error, and only it, to the null device.
TEST(ConsoleFiltering, StandardErrorAloneGoesToTheNullDevice) {
    const auto identity = [](int fd) {
        struct stat info {};
        ::fstat(fd, &info);
        return std::make_pair(info.st_dev, info.st_ino);
    };
    struct stat null {};
    ASSERT_EQ(::stat("/dev/null", &null), 0);
    const auto output = identity(STDOUT_FILENO);
    const int savedError = ::dup(STDERR_FILENO);
    ASSERT_GE(savedError, 0);
    const bool redirected = PosixProcessConsole().redirectStandardErrorToNull();
    const auto error = identity(STDERR_FILENO);
    const auto outputAfter = identity(STDOUT_FILENO);
    ::dup2(savedError, STDERR_FILENO);  // the test's own messages need it back
    ::close(savedError);
    EXPECT_TRUE(redirected);
    EXPECT_EQ(error, std::make_pair(null.st_dev, null.st_ino));
    EXPECT_EQ(outputAfter, output);
}

TEST(StatusMenu, ItemsAndACheckStateThatArrivesLater) {
    std::vector<std::string> titles;
    for (const auto& entry : StatusMenu::entries()) titles.push_back(entry.isSeparator ? "-" : entry.title);
    EXPECT_EQ(titles, (std::vector<std::string>{"Show Window", "-", "Start at Login", "-", "Quit"}));
    const auto& quit = StatusMenu::entries().back();
    EXPECT_EQ(quit.action, StatusMenuAction::terminate);
    EXPECT_EQ(quit.keyEquivalent, "q");
    EXPECT_FALSE(quit.targetsDelegate);
    EXPECT_EQ(StatusMenu::entries()[2].action, StatusMenuAction::toggleAutoStart);

    testing::TestPlatform tp;
    AppleScriptOutcome named;
    named.kind = AppleScriptOutcome::Kind::result;
    named.stringValue = "Velmora";
    tp.appleScript->setAnswer(named);
    auto autoStart = AutoStart::create(tp.platform());
    auto menu = StatusMenu::create();
    menu->setup(*autoStart);
    EXPECT_FALSE(menu->startAtLoginChecked.get());
    EXPECT_TRUE(tp.appleScript->sources().empty());
    tp.scheduler->runUntilIdle();
    EXPECT_TRUE(menu->startAtLoginChecked.get());
}

}  // namespace
}  // namespace velmora
