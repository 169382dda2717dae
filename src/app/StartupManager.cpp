#include "app/StartupManager.h"

#include "app/LoginItemScripts.h"

namespace velmora {

namespace {

std::string describeFailure(const AppleScriptOutcome& outcome) {
    return outcome.kind == AppleScriptOutcome::Kind::error ? outcome.errorDescription : std::string("Unknown");
}

}  // namespace

std::shared_ptr<StartupManager> StartupManager::create(Platform platform) {
    std::shared_ptr<StartupManager> manager(new StartupManager(std::move(platform)));
    manager->checkStartupStatus();
    return manager;
}

StartupManager::StartupManager(Platform platform)
    : bundleIdentifier(platform.bundle.identifier.value_or("com.orrindel.velmora")),
      platform_(std::move(platform)),
      queue_(platform_.scheduler->makeSerialQueue("startup.manager", QualityOfService::userInitiated)) {}

void StartupManager::onQueue(bool (StartupManager::*work)(), void (StartupManager::*then)(bool)) {
    queue_->async([weak = weak_from_this(), work, then] {
        auto self = weak.lock();
        if (!self) return;
        const bool answer = ((*self).*work)();
        self->platform_.scheduler->asyncMain([weak, then, answer] {
            if (auto again = weak.lock()) ((*again).*then)(answer);
        });
    });
}

void StartupManager::checkStartupStatus() { onQueue(&StartupManager::isAppInLoginItems, &StartupManager::finishCheck); }

void StartupManager::finishCheck(bool present) {
    isStartupEnabled.set(present);
    say(std::string("🔍 Startup status check: ") + (present ? "true" : "false"));
}

bool StartupManager::isAppInLoginItems() {
    say("🔍 Login Items kontrol ediliyor...");
    say("📍 Current app URL: " + platform_.bundle.path);
    if (platform_.bundle.path.find("/Applications/") != std::string::npos) {
        say("✅ Uygulama Applications'da bulundu");
        return storedFlag();
    }
    const auto outcome = platform_.appleScript->execute(loginItemScripts::windowPresence(platform_.bundle.name()));
    switch (outcome.kind) {
        case AppleScriptOutcome::Kind::couldNotCreate:
            return storedFlag();
        case AppleScriptOutcome::Kind::error:
            say("❌ AppleScript error: " + outcome.errorDescription);
            return storedFlag();
        case AppleScriptOutcome::Kind::result:
            break;
    }
    say(std::string("📋 AppleScript result: ") + (outcome.booleanValue ? "true" : "false"));
    return outcome.booleanValue;
}

bool StartupManager::addToLoginItems() {
    say("🔧 Login Items'a ekleniyor...");
    const auto outcome = platform_.appleScript->execute(loginItemScripts::windowAdd(platform_.bundle.path));
    if (outcome.kind == AppleScriptOutcome::Kind::couldNotCreate) {
        say("❌ AppleScript oluşturulamadı");
        platform_.defaults->setBool(addedKey, false);
        return false;
    }
    if (outcome.kind == AppleScriptOutcome::Kind::result && outcome.booleanValue) {
        say("✅ AppleScript başarılı - Login Items'a eklendi");
        platform_.defaults->setBool(addedKey, true);
        return true;
    }
    say("❌ AppleScript hatası: " + describeFailure(outcome));
    platform_.defaults->setBool(addedKey, false);
    return false;
}

bool StartupManager::removeFromLoginItems() {
    say("🗑️ Login Items'dan kaldırılıyor...");
    const auto outcome = platform_.appleScript->execute(loginItemScripts::windowRemove(platform_.bundle.path));
    if (outcome.kind == AppleScriptOutcome::Kind::couldNotCreate) {
        say("❌ AppleScript oluşturulamadı");
        return false;
    }
    if (outcome.kind == AppleScriptOutcome::Kind::result && outcome.booleanValue) {
        say("✅ AppleScript başarılı - Login Items'dan kaldırıldı");
        platform_.defaults->setBool(addedKey, false);
        return true;
    }
    say("❌ AppleScript hatası: " + describeFailure(outcome));
    return false;
}

void StartupManager::enableStartup() {
    say("🔧 Login Items ile startup aktif ediliyor...");
    onQueue(&StartupManager::addToLoginItems, &StartupManager::finishEnable);
}

void StartupManager::finishEnable(bool added) {
    if (added) {
        isStartupEnabled.set(true);
        say("✅ Startup aktif edildi (Login Items)");
        return;
    }
    say("❌ Login Items startup aktif edilemedi");
    showManualStartupInstructions();
    isStartupEnabled.set(false);
}

void StartupManager::disableStartup() {
    say("🔧 Login Items'dan startup kaldırılıyor...");
    onQueue(&StartupManager::removeFromLoginItems, &StartupManager::finishDisable);
}

void StartupManager::finishDisable(bool removed) {
    if (removed) {
        isStartupEnabled.set(false);
        say("✅ Startup deaktif edildi (Login Items)");
        return;
    }
    say("❌ Startup deaktif edilemedi");
}

void StartupManager::showManualStartupInstructions() {
    say("📖 Manuel startup ekleme talimatları:");
    say("   1. System Preferences > General > Login Items");
    say("   2. + butonuna basın");
    say("   3. Velmora.app seçin");
    say("   4. 'Hide' seçeneğini işaretleyin");
    platform_.scheduler->asyncMain([weak = weak_from_this()] {
        if (auto self = weak.lock()) self->showManualInstructionsAlert();
    });
}

void StartupManager::showManualInstructionsAlert() {
    if (!platform_.alerts) return;
    const AlertRequest alert{
        "Startup Permissions Required",
        "Velmora needs permission to manage startup items automatically.\n"
        "\n"
        "Please allow automation access when prompted, or manually add the app to Login Items:\n"
        "1. Open System Preferences > General > Login Items\n"
        "2. Click the + button\n"
        "3. Select Velmora.app\n"
        "4. Check 'Hide' option",
        {"Open System Preferences", "OK"}};
    if (platform_.alerts->runModal(alert) == 0) platform_.workspace->openURL(loginItemsSettingsURL);
}

}  // namespace velmora
