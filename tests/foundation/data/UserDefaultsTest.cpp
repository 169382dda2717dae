#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "TemporaryFolder.h"
#include "foundation/defaults/FileUserDefaults.h"
#include "foundation/defaults/MemoryUserDefaults.h"

namespace velmora {
namespace {

// The typed rules hold for every implementation.
class TypedDefaults : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        if (GetParam() == "memory") {
            defaults_ = std::make_unique<MemoryUserDefaults>();
        } else {
            defaults_ = std::make_unique<FileUserDefaults>(folder_.path() + "/Preferences", "com.velmora.test",
                                                           std::make_shared<CapturingDiagnostics>());
        }
    }
    testing::TemporaryFolder folder_;
    std::unique_ptr<UserDefaults> defaults_;
};

TEST_P(TypedDefaults, AbsentKeysReadAsTheirDefaults) {
    EXPECT_FALSE(defaults_->boolValue("IsAuthorized"));
    EXPECT_EQ(defaults_->integerValue("Count"), 0);
    EXPECT_EQ(defaults_->stringValue("Name"), std::nullopt);
    EXPECT_EQ(defaults_->stringList("MarkedAsInternalDisks"), std::nullopt);
    EXPECT_EQ(defaults_->dateValue("LastLaunchServicesRebuildDate"), std::nullopt);
    EXPECT_EQ(defaults_->object("Anything"), std::nullopt);
}

TEST_P(TypedDefaults, WrongTypesReadAsTheirDefaults) {
    defaults_->setInteger("IsAuthorized", 1);
    defaults_->setBool("Count", true);
    defaults_->setInteger("Name", 5);
    defaults_->set("MarkedAsInternalDisks", PlistValue(PlistArray{"disk4", 5}));
    defaults_->setString("LastLaunchServicesRebuildDate", "yesterday");
    EXPECT_FALSE(defaults_->boolValue("IsAuthorized"));
    EXPECT_EQ(defaults_->integerValue("Count"), 0);
    EXPECT_EQ(defaults_->stringValue("Name"), std::nullopt);
    EXPECT_EQ(defaults_->stringList("MarkedAsInternalDisks"), std::nullopt);
    EXPECT_EQ(defaults_->dateValue("LastLaunchServicesRebuildDate"), std::nullopt);
}

TEST_P(TypedDefaults, WrittenValuesReadBack) {
    const Date when = dateFromSeconds(1714558830);
    defaults_->setBool("PowerManagementActive", true);
    defaults_->setInteger("Count", -42);
    defaults_->setString("Name", "Çalışma Diski");
    defaults_->setStringList("MarkedAsInternalDisks", {"disk4", "disk6"});
    defaults_->setStringList("Empty", {});
    defaults_->setDate("LastLaunchServicesRebuildDate", when);
    EXPECT_TRUE(defaults_->boolValue("PowerManagementActive"));
    EXPECT_EQ(defaults_->integerValue("Count"), -42);
    EXPECT_EQ(defaults_->stringValue("Name"), "Çalışma Diski");
    EXPECT_EQ(defaults_->stringList("MarkedAsInternalDisks"), (std::vector<std::string>{"disk4", "disk6"}));
    EXPECT_EQ(defaults_->stringList("Empty"), std::vector<std::string>{});
    EXPECT_EQ(defaults_->dateValue("LastLaunchServicesRebuildDate"), when);

    defaults_->setBool("PowerManagementActive", false);
    defaults_->remove("Count");
    EXPECT_FALSE(defaults_->boolValue("PowerManagementActive"));
    EXPECT_EQ(defaults_->object("Count"), std::nullopt);
    EXPECT_EQ(defaults_->stringValue("Name"), "Çalışma Diski");
}

INSTANTIATE_TEST_SUITE_P(Implementations, TypedDefaults, ::testing::Values("memory", "file"));

}  // namespace
}  // namespace velmora
