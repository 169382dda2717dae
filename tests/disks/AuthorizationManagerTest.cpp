#include "app/AuthorizationManager.h"

#include <gtest/gtest.h>

#include "support/TestPlatform.h"

namespace velmora {
namespace {

using testing::ScriptedProcessLauncher;

TEST(AuthorizationManager, ConsentNeedsBothPersistedKeys) {
    struct Case {
        std::optional<bool> requested, authorized;
        bool expected;
    };
    const Case cases[] = {
        {std::nullopt, std::nullopt, false}, {true, false, false}, {false, true, false},
        {true, std::nullopt, false},         {true, true, true},
    };
    for (const auto& c : cases) {
        testing::TestPlatform tp;
        if (c.requested) tp.defaults->setBool("AuthorizationRequested", *c.requested);
        if (c.authorized) tp.defaults->setBool("IsAuthorized", *c.authorized);
        auto manager = AuthorizationManager::create(tp.platform());
        EXPECT_EQ(manager->isAuthorized.get(), c.expected);
        EXPECT_EQ(manager->authorizationStatus.get(), c.expected ? "Authorized" : "Basic system access");
    }
}

TEST(AuthorizationManager, GrantedConsentIsRememberedForLaterManagers) {
    testing::TestPlatform tp;
    tp.strings = std::make_shared<StringTable>(std::map<std::string, std::string>{{"authorized", "Yetkili"}});
    auto first = AuthorizationManager::create(tp.platform());
    EXPECT_TRUE(first->requestAuthorization());
    EXPECT_TRUE(first->isAuthorized.get());
    EXPECT_EQ(first->authorizationStatus.get(), "Yetkili");
    EXPECT_TRUE(tp.defaults->boolValue("AuthorizationRequested"));
    EXPECT_TRUE(tp.defaults->boolValue("IsAuthorized"));
    EXPECT_TRUE(AuthorizationManager::create(tp.platform())->isAuthorized.get());
}

struct Operations : ::testing::Test {
    testing::TestPlatform tp;
    std::shared_ptr<AuthorizationManager> manager = AuthorizationManager::create(tp.platform());
    std::vector<std::string> contexts;  // where the command ran, then where the completion ran
    std::optional<bool> result;

    PrivilegedOperations::Completion completion() {
        return [this](bool ok) {
            contexts.push_back(tp.scheduler->currentContext());
            result = ok;
        };
    }
    void answer(const std::string& program, RunResult run) {
        tp.processes->on([program](const RunSpec& s) { return s.program == program; },
                         [this, run](const RunSpec&) {
                             contexts.push_back(tp.scheduler->currentContext());
                             return run;
                         });
    }
};

TEST_F(Operations, SetSysctlRunsOffTheMainThreadAndAnswersOnIt) {
    answer("/usr/sbin/sysctl", ScriptedProcessLauncher::exited(0));
    manager->setSysctl("vfs.generic.always_cache", "", completion());
    EXPECT_FALSE(result);
    tp.scheduler->runUntilIdle();
    EXPECT_EQ(result, true);
    EXPECT_EQ(contexts, (std::vector<std::string>{"global", "main"}));
    const auto runs = tp.processes->runsOf("/usr/sbin/sysctl");
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].arguments, (std::vector<std::string>{"-w", "vfs.generic.always_cache="}));
    EXPECT_EQ(runs[0].output, OutputWiring::inherit);
    EXPECT_EQ(runs[0].error, ErrorWiring::inherit);
}

TEST_F(Operations, MountWithPrivilegesReportsNonZeroAndStartFailureAsFalse) {
    answer("/sbin/mount", ScriptedProcessLauncher::exited(1));
    manager->mountWithPrivileges("/Volumes/My Disk", "owners,async", completion());
    tp.scheduler->runUntilIdle();
    EXPECT_EQ(result, false);
    EXPECT_EQ(tp.processes->runsOf("/sbin/mount")[0].arguments,
              (std::vector<std::string>{"-u", "-o", "owners,async", "/Volumes/My Disk"}));
    EXPECT_TRUE(tp.diagnostics->lines().empty());

    tp.processes->onCommand("/sbin/mount", {"-u", "-o", "owners,async", "/Volumes/X"}, ScriptedProcessLauncher::startFailure("no mount"));
    result.reset();
    manager->mountWithPrivileges("/Volumes/X", "owners,async", completion());
    tp.scheduler->runUntilIdle();
    EXPECT_EQ(result, false);
    EXPECT_TRUE(tp.diagnostics->contains("❌ Komut hatası: no mount"));
}

TEST_F(Operations, CallerHearsBackEvenWhenTheManagerIsGone) {
    manager->setSysctl("kern.maxfiles", "65536", completion());
    manager.reset();
    tp.scheduler->runUntilIdle();
    EXPECT_EQ(result, true);
}

}  // namespace
}  // namespace velmora
