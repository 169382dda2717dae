#include "app/AuthorizationManager.h"

#include <utility>

namespace velmora {

std::shared_ptr<AuthorizationManager> AuthorizationManager::create(Platform platform) {
    std::shared_ptr<AuthorizationManager> manager(new AuthorizationManager(std::move(platform)));
    manager->checkInitialAuthorizationStatus();
    return manager;
}

AuthorizationManager::AuthorizationManager(Platform platform) : platform_(std::move(platform)) {}

void AuthorizationManager::checkInitialAuthorizationStatus() {
    const bool requested = platform_.defaults->boolValue(requestedKey);
    const bool authorized = platform_.defaults->boolValue(authorizedKey);
    if (requested && authorized) {
        authorizationStatus.set(platform_.strings->localized("authorized", "Authorized"));
        isAuthorized.set(true);
    } else {
        authorizationStatus.set(platform_.strings->localized("basic_system_access", "Basic system access"));
        isAuthorized.set(false);
    }
}

bool AuthorizationManager::requestAuthorization() {
    authorizationStatus.set(platform_.strings->localized("authorized", "Authorized"));
    isAuthorized.set(true);
    platform_.defaults->setBool(requestedKey, true);
    platform_.defaults->setBool(authorizedKey, true);
    return true;
}

bool AuthorizationManager::executeCommand(const std::string& program, const std::vector<std::string>& arguments) const {
    return platform_.runner().executeCommand(program, arguments);
}

void AuthorizationManager::mountWithPrivileges(const std::string& mountPoint, const std::string& options,
                                               Completion completion) {
    runDetached("/sbin/mount", {"-u", "-o", options, mountPoint}, std::move(completion));
}

void AuthorizationManager::setSysctl(const std::string& name, const std::string& value, Completion completion) {
    runDetached("/usr/sbin/sysctl", {"-w", name + "=" + value}, std::move(completion));
}

// Like a detached task: the command runs and the caller hears back even if
// this manager is released meanwhile, because nothing here needs it. The
// scheduler is held weakly so a block left pending holds no cycle to it.
void AuthorizationManager::runDetached(std::string program, std::vector<std::string> arguments, Completion completion) {
    platform_.scheduler->asyncGlobal(
        QualityOfService::defaultQoS,
        [runner = platform_.runner(), scheduler = std::weak_ptr<Scheduler>(platform_.scheduler),
         program = std::move(program), arguments = std::move(arguments),
         completion = std::move(completion)]() mutable {
            const bool succeeded = runner.executeCommand(program, arguments);
            auto main = scheduler.lock();
            if (!main) return;
            main->asyncMain([completion = std::move(completion), succeeded] {
                if (completion) completion(succeeded);
            });
        });
}

}  // namespace velmora
