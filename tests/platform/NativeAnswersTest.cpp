#include "platform/NativeAnswers.h"

#include <cerrno>
#include <cstring>

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(NativeAnswers, SystemNumbersReadAsTheProgramsValues) {
    using NA = NotificationAuthorization;
    const struct {
        long status;
        NA authorization;
    } statuses[] = {{0, NA::notDetermined}, {1, NA::denied},        {2, NA::authorized},
                    {3, NA::provisional},   {4, NA::ephemeral},     {5, NA::notDetermined},
                    {-1, NA::notDetermined}};
    for (const auto& c : statuses) EXPECT_EQ(notificationAuthorizationFromStatus(c.status), c.authorization) << c.status;

    using AP = ActivationPolicy;
    const struct {
        long value;
        AP policy;
    } policies[] = {{0, AP::regular}, {1, AP::accessory}, {2, AP::prohibited}, {3, AP::regular}, {-1, AP::regular}};
    for (const auto& c : policies) EXPECT_EQ(activationPolicyFromValue(c.value), c.policy) << c.value;

    const auto named = appleScriptErrorOutcome(-1743, "{ NSAppleScriptErrorNumber = -1743; }");
    EXPECT_EQ(named.kind, AppleScriptOutcome::Kind::error);
    EXPECT_EQ(named.errorNumber, -1743);
    EXPECT_EQ(named.errorDescription, "{ NSAppleScriptErrorNumber = -1743; }");
    EXPECT_EQ(appleScriptErrorOutcome(std::nullopt, "{}").errorNumber, kAppleScriptUnknownError);
}

TEST(NativeAnswers, OnlyACompleteAbsoluteVnodePathIsAWorkingDirectory) {
    const struct {
        int returned;
        const char* path;
        int error;
        std::optional<std::string> directory;
        std::string failure;
    } cases[] = {
        {100, "/Users/me", 0, "/Users/me", ""},
        {100, "/", 0, "/", ""},
        {0, "/stale", ESRCH, std::nullopt, std::strerror(ESRCH)},
        {-1, "/stale", EPERM, std::nullopt, std::strerror(EPERM)},
        {40, "/half", 0, std::nullopt, "incomplete process information"},
        {100, "", 0, std::nullopt, "not an absolute path: "},
        {100, "relative", 0, std::nullopt, "not an absolute path: relative"},
        {100, nullptr, 0, std::nullopt, "not an absolute path: "},
    };
    for (const auto& c : cases) {
        const auto answer = workingDirectoryFromVnodeInfo(c.returned, 100, c.path, c.error);
        EXPECT_EQ(answer.path, c.directory) << c.returned << ' ' << (c.path ? c.path : "(null)");
        EXPECT_EQ(answer.failure, c.failure);
    }
}

}  // namespace
}  // namespace velmora
