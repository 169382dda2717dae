#include "stabilizer/EnumerationRecovery.h"

#include <gtest/gtest.h>

#include "StabilizerHarness.h"

namespace velmora::testing {
namespace {

const char* kDetectionQuery =
    "log show --predicate 'eventMessage contains \"enumeration failures\" OR eventMessage contains \"failed to "
    "create device\" OR eventMessage contains \"persistent enumeration\"' --start \"$(date -v-60S '+%Y-%m-%d "
    "%H:%M:%S')\" --style syslog 2>/dev/null | grep '^[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9] ' | wc -l";
const char* kVerificationQuery =
    "log show --predicate 'eventMessage contains \"enumeration failures\" OR eventMessage contains \"failed to "
    "create device\"' --start \"$(date -v-10S '+%Y-%m-%d %H:%M:%S')\" --style syslog 2>/dev/null "
    "| grep '^[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9] ' | wc -l";

TEST(EnumerationRecovery, ReadingACount) {
    const std::pair<const char*, std::optional<long long>> cases[] = {
        {"0\n", 0},          {"  \t 7 \n\n", 7}, {"+4", 4},   {"-2", -2},         {"", std::nullopt},
        {" \n ", std::nullopt}, {"3 4", std::nullopt}, {"12a", std::nullopt}, {"error: log failed", std::nullopt},
        {"+", std::nullopt}, {"0x10", std::nullopt}, {"99999999999999999999", std::nullopt},
    };
    for (const auto& [text, count] : cases) EXPECT_EQ(EnumerationRecovery::readCount(text), count) << text;
}

// One disk present, then gone: the vanishing triggers the detection query.
struct VanishingDisk : StabilizerHarness {
    void run(const std::string& detection, const std::string& verification) {
        tp.processes->onScriptContaining("date -v-60S", ScriptedProcessLauncher::exited(0, detection));
        tp.processes->onScriptContaining("date -v-10S", ScriptedProcessLauncher::exited(0, verification));
        attach({usbDisk("disk4", "Alpha")});
        start();
        tp.scheduler->advance(10.0);
        attach({});
        tp.diagnostics->clear();
        tp.processes->clearRecord();
        tp.scheduler->advance(10.0);
    }
};

TEST(EnumerationRecovery, NoCountEndsSilently) {
    for (const char* detection : {"0\n", "  0  ", "", "log: command not found\n", "-3"}) {
        VanishingDisk h;
        h.run(detection, "");
        EXPECT_EQ(h.scriptsContaining("date -v-60S"), std::vector<std::string>{kDetectionQuery});
        EXPECT_FALSE(h.tp.diagnostics->containsSubstring("enumeration failure tespit edildi")) << detection;
        EXPECT_EQ(h.scriptsWith("kextunload"), 0u) << detection;
        h.tp.scheduler->advance(10.0);
        EXPECT_EQ(h.scriptsWith("date -v-10S"), 0u);
    }
}

TEST(EnumerationRecovery, RecoveryThenSuccessfulVerification) {
    VanishingDisk h;
    h.run(" 5\n", "");
    EXPECT_TRUE(h.logged("🚨 Sistem genelinde 5 enumeration failure tespit edildi"));
    const std::vector<std::string> order = {
        "🔧 SİSTEM GENELİ ENUMERATION RECOVERY başlatıldı", "🔄 USB subsystem yenileniyor...",
        "✅ USB subsystem yenilendi",                        "🔋 USB power management resetleniyor...",
        "✅ USB power management resetlendi",                "🔌 USB controller'lar yeniden başlatılıyor...",
        "✅ USB controller'lar yeniden başlatıldı",
    };
    for (std::size_t i = 1; i < order.size(); ++i) EXPECT_LT(h.logIndex(order[i - 1]), h.logIndex(order[i])) << order[i];
    EXPECT_EQ(h.scriptsContaining("launchctl kickstart"),
              std::vector<std::string>{"# USB daemon'ları yenile\n"
                                       "launchctl kickstart -k system/com.apple.usbd\n"
                                       "\n"
                                       "# USB controller durumunu yenile\n"
                                       "system_profiler SPUSBDataType > /dev/null 2>&1 &\n"
                                       "\n"
                                       "# IORegistry'yi temizle\n"
                                       "kextunload -b com.apple.iokit.IOUSBFamily 2>/dev/null || true\n"
                                       "sleep 2\n"
                                       "kextload -b com.apple.iokit.IOUSBFamily 2>/dev/null || true"});
    EXPECT_EQ(h.scriptsWith("hw.usb.autosuspend=0"), 1u);
    EXPECT_EQ(h.scriptsWith("# USB Mass Storage Class driver'ı yenile\n"), 1u);
    EXPECT_EQ(h.stabilizer->currentStabilityLevel.get(), StabilityLevel::stabilizing);

    // Not before 5 seconds.
    h.tp.scheduler->advance(4.5);
    EXPECT_EQ(h.scriptsWith("date -v-10S"), 0u);
    h.tp.scheduler->advance(1.0);
    EXPECT_EQ(h.scriptsContaining("date -v-10S"), std::vector<std::string>{kVerificationQuery});
    EXPECT_TRUE(h.logged("📊 Recovery sonrası USB disk sayısı: 0"));
    EXPECT_TRUE(h.logged("✅ Sistem geneli enumeration recovery BAŞARILI"));
    EXPECT_EQ(h.stabilizer->currentStabilityLevel.get(), StabilityLevel::protecting);
    EXPECT_EQ(h.stabilizer->lastStabilizationAction.get(), "✅ Sistem geneli recovery başarılı");
    EXPECT_EQ(h.scriptsWith("com.apple.driver.usb.cdc"), 0u);
}

TEST(EnumerationRecovery, PersistingFailuresEscalateOnceOnTheGlobalQueue) {
    VanishingDisk h;
    h.run("2", "unused");
    std::vector<std::string> contexts;
    h.tp.processes->on(
        [](const RunSpec& request) { return request.arguments.size() == 2 && request.arguments[1].find("date -v-10S") != std::string::npos; },
        [&](const RunSpec&) {
            contexts.push_back(h.tp.scheduler->currentContext());
            return ScriptedProcessLauncher::exited(0, "3\n");
        });
    std::vector<std::string> levels;
    h.stabilizer->currentStabilityLevel.observe([&](StabilityLevel l) { levels.push_back(rawValue(l)); });
    h.tp.scheduler->advance(6.0);
    EXPECT_EQ(contexts, std::vector<std::string>{"global"});
    EXPECT_TRUE(h.logged("⚠️ Hala enumeration failure'lar devam ediyor: 3"));
    EXPECT_TRUE(h.logged("🚨 ENHANCED SYSTEM RECOVERY başlatıldı"));
    EXPECT_TRUE(h.logged("✅ Enhanced system recovery tamamlandı"));
    auto enhanced = h.scriptsContaining("com.apple.driver.usb.cdc");
    ASSERT_EQ(enhanced.size(), 1u);
    EXPECT_EQ(enhanced[0].find("sudo"), std::string::npos);
    EXPECT_LT(enhanced[0].find("kextunload -b com.apple.driver.usb.cdc"),
              enhanced[0].find("kextunload -b com.apple.iokit.IOUSBFamily"));
    EXPECT_LT(enhanced[0].find("kextload -b com.apple.iokit.IOUSBFamily"),
              enhanced[0].find("kextload -b com.apple.driver.usb.cdc"));
    EXPECT_EQ(levels, (std::vector<std::string>{"Protecting", "Maximum Protection", "Protecting"}));
    EXPECT_EQ(h.stabilizer->lastStabilizationAction.get(), "✅ Enhanced recovery tamamlandı");
    h.tp.processes->clearRecord();
    h.tp.scheduler->advance(30.0);
    EXPECT_EQ(h.scriptsWith("date -v-10S"), 0u);  // no further verification
}

TEST(EnumerationRecovery, APendingVerificationSurvivesAStop) {
    VanishingDisk h;
    h.run("1", "");
    h.stabilizer->stopAutomaticStabilization();
    h.tp.scheduler->advance(6.0);
    EXPECT_TRUE(h.logged("✅ Sistem geneli enumeration recovery BAŞARILI"));
}

}  // namespace
}  // namespace velmora::testing
