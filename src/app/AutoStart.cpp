#include "app/AutoStart.h"

#include "app/LoginItemScripts.h"

namespace velmora {

std::shared_ptr<AutoStart> AutoStart::create(Platform platform) {
    return std::shared_ptr<AutoStart>(new AutoStart(std::move(platform)));
}

AutoStart::AutoStart(Platform platform)
    : platform_(std::move(platform)),
      queue_(platform_.scheduler->makeSerialQueue("auto.start", QualityOfService::userInitiated)) {}

void AutoStart::toggleAutoStart() {
    queue_->async([weak = weak_from_this()] {
        auto self = weak.lock();
        if (!self) return;
        if (self->isAutoStartEnabled()) {
            self->disableAutoStart();
        } else {
            self->enableAutoStart();
        }
    });
}

void AutoStart::checkAutoStart(std::function<void(bool)> answer) {
    queue_->async([weak = weak_from_this(), answer = std::move(answer)]() mutable {
        auto self = weak.lock();
        if (!self) return;
        const bool enabled = self->isAutoStartEnabled();
        self->platform_.scheduler->asyncMain([answer = std::move(answer), enabled] {
            if (answer) answer(enabled);
        });
    });
}

bool AutoStart::isAutoStartEnabled() {
    if (!platform_.bundle.identifier) return false;
    const auto outcome = platform_.appleScript->execute(loginItemScripts::menuQuery());
    if (outcome.kind != AppleScriptOutcome::Kind::result || !outcome.stringValue) return false;
    return outcome.stringValue->find("Velmora") != std::string::npos;
}

void AutoStart::enableAutoStart() {
    const auto outcome = platform_.appleScript->execute(loginItemScripts::menuAdd(platform_.bundle.path));
    bool enabled = false;
    if (outcome.kind == AppleScriptOutcome::Kind::error) {
        if (outcome.errorNumber == automationNotAllowed) {
            say("❌ Automation permission needed - Please allow in System Preferences");
            showAutomationPermissionDialog();
        } else {
            say("❌ Otomatik başlatma eklenemedi: " + outcome.errorDescription);
        }
    } else if (outcome.kind == AppleScriptOutcome::Kind::result && outcome.booleanValue) {
        say("✅ Otomatik başlatma etkinleştirildi");
        enabled = true;
    } else {
        say("❌ Otomatik başlatma eklenemedi: AppleScript false döndü");
    }
    platform_.defaults->setBool(enabledKey, enabled);
}

void AutoStart::disableAutoStart() {
    const auto outcome = platform_.appleScript->execute(loginItemScripts::menuRemove(platform_.bundle.path));
    if (outcome.kind == AppleScriptOutcome::Kind::error) {
        say("❌ Otomatik başlatma kaldırılamadı: " + outcome.errorDescription);
    } else if (outcome.kind == AppleScriptOutcome::Kind::result && outcome.booleanValue) {
        say("✅ Otomatik başlatma devre dışı bırakıldı");
        platform_.defaults->setBool(enabledKey, false);
    } else {
        say("❌ Otomatik başlatma kaldırılamadı: AppleScript false döndü");
    }
}

void AutoStart::showAutomationPermissionDialog() {
    platform_.scheduler->asyncMain([weak = weak_from_this()] {
        if (auto self = weak.lock()) self->runAutomationPermissionDialog();
    });
}

void AutoStart::runAutomationPermissionDialog() {
    if (!platform_.alerts) return;
    const AlertRequest alert{
        "Automation Permission Required",
        "Velmora needs permission to automate System Events for managing startup items.\n"
        "\n"
        "Please:\n"
        "1. Open System Preferences > Security & Privacy > Privacy\n"
        "2. Select \"Automation\" from the left sidebar\n"
        "3. Find \"Velmora\" and check the box next to \"System Events\"\n"
        "\n"
        "Or you can manually add the app to Login Items in System Preferences > General > Login Items.",
        {"Open Security & Privacy", "Open Login Items", "OK"}};
    switch (platform_.alerts->runModal(alert)) {
        case 0: platform_.workspace->openURL(automationSettingsURL); break;
        case 1: platform_.workspace->openURL(loginItemsSettingsURL); break;
        default: break;
    }
}

}  // namespace velmora
