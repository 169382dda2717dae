#pragma once
// The running program's application bundle.
#include <optional>
#include <string>

namespace velmora {

struct MainBundle {
    std::optional<std::string> identifier;  // absent for a program run outside a bundle
    std::string path;                       // absolute path of the ".app" directory

    // The last path component, extension included (for example Velmora.app).
    std::string name() const {
        std::string trimmed = path;
        while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
        const auto slash = trimmed.rfind('/');
        return slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
    }
};

}  // namespace velmora
