#pragma once
// The user's remembered consent for operations that change system settings,
// and those two operations. Consent is the user's decision, not an operating
// system credential: commands still run as the current user.
#include <memory>
#include <string>
#include <vector>

#include "disks/PrivilegedOperations.h"
#include "foundation/published/Published.h"
#include "platform/Platform.h"

namespace velmora {

class AuthorizationManager : public PrivilegedOperations, public std::enable_shared_from_this<AuthorizationManager> {
public:
    static constexpr const char* requestedKey = "AuthorizationRequested";
    static constexpr const char* authorizedKey = "IsAuthorized";

    // Created on the main thread; reads the persisted consent at once.
    static std::shared_ptr<AuthorizationManager> create(Platform platform);

    Published<bool> isAuthorized{false};
    Published<std::string> authorizationStatus;

    void checkInitialAuthorizationStatus();
    // Main thread. Grants consent and remembers it; always true.
    bool requestAuthorization();
    // The program with its arguments; true when it exits 0. Blocks the caller.
    bool executeCommand(const std::string& program, const std::vector<std::string>& arguments) const;

    // "/sbin/mount -u -o OPTIONS MOUNTPOINT" on a global queue.
    void mountWithPrivileges(const std::string& mountPoint, const std::string& options, Completion completion) override;
    // "/usr/sbin/sysctl -w NAME=VALUE" on a global queue.
    void setSysctl(const std::string& name, const std::string& value, Completion completion) override;

private:
    explicit AuthorizationManager(Platform platform);
    void runDetached(std::string program, std::vector<std::string> arguments, Completion completion);

    Platform platform_;
};

}  // namespace velmora
