#include "platform/Workspace.h"

#include <gtest/gtest.h>

#include <utility>

namespace velmora {
namespace {

TEST(CreativeBundleIdentifier, AdobeOrCreativeInAnyAsciiCase) {
    const std::pair<const char*, bool> cases[] = {
        {"com.adobe.Photoshop", true},        {"com.ADOBE.illustrator", true}, {"com.CreativeCloud.app", true},
        {"com.example.creative-suite", true}, {"ADOBE", true},                 {"com.apple.finder", false},
        {"com.adob.e", false},                {"", false},                     {"com.creat1ve.app", false},
        {"com.ado\xC4\xB0" "be", false},
    };
    for (const auto& [identifier, creative] : cases) {
        EXPECT_EQ(isCreativeBundleIdentifier(identifier), creative) << identifier;
    }
}

}  // namespace
}  // namespace velmora
