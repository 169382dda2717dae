#pragma once
// Informational modal alerts (NSAlert): a message, an informative text and
// buttons in order; the answer is the chosen button.
#include <cstddef>
#include <string>
#include <vector>

namespace velmora {

struct AlertRequest {
    std::string messageText;
    std::string informativeText;
    std::vector<std::string> buttons;  // first is the default button
};

class Alerts {
public:
    virtual ~Alerts() = default;
    // Main thread; runs modally. The index into `buttons` of the chosen one.
    virtual std::size_t runModal(const AlertRequest& request) = 0;
};

}  // namespace velmora
