#pragma once
// The two system-changing operations the marking procedure needs, as the
// consent holder offers them. Each runs its command off the main thread and
// calls `completion` on the main thread with whether the command exited 0.
// An interface so the disk code does not depend on the application layer.
#include <functional>
#include <string>

namespace velmora {

class PrivilegedOperations {
public:
    using Completion = std::function<void(bool succeeded)>;
    virtual ~PrivilegedOperations() = default;
    // Remount `mountPoint` with the comma-separated `options`.
    virtual void mountWithPrivileges(const std::string& mountPoint, const std::string& options, Completion completion) = 0;
    // Set the kernel variable `name` to `value`.
    virtual void setSysctl(const std::string& name, const std::string& value, Completion completion) = 0;
};

}  // namespace velmora
