#include "foundation/process/RunOutcomeText.h"

#include <cstdio>

namespace velmora {

namespace {

constexpr std::size_t kLongestLoggedCommand = 300;

std::string formatSeconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", seconds);
    return text;
}

// One line however long or multi-line the script is.
std::string commandLine(const RunSpec& request) {
    std::string line = request.program;
    for (const std::string& argument : request.arguments) line += ' ' + argument;
    std::string flat;
    for (char c : line) {
        if (c == '\n') {
            flat += "\\n";
        } else if (c == '\r') {
            flat += "\\r";
        } else {
            flat += c;
        }
    }
    if (flat.size() > kLongestLoggedCommand) {
        std::size_t cut = kLongestLoggedCommand;
        while (cut > 0 && (static_cast<unsigned char>(flat[cut]) & 0xC0) == 0x80) --cut;
        flat = flat.substr(0, cut) + "…";
    }
    return flat;
}

}  // namespace

std::string deadlineDescription(double seconds) {
    return "The process didn’t finish within " + formatSeconds(seconds) + " seconds and was terminated.";
}

std::string deadlineReport(const RunSpec& request, double seconds) {
    return "⏱️ Süre aşıldı (" + formatSeconds(seconds) + " sn), süreç grubu sonlandırıldı: " + commandLine(request);
}

std::string outputCapDescription(std::size_t capBytes) {
    return "The process wrote more than " + std::to_string(capBytes) + " bytes of output and was terminated.";
}

std::string outputCapReport(const RunSpec& request, std::size_t capBytes) {
    return "⚠️ Çıktı sınırı aşıldı (" + std::to_string(capBytes) + " bayt), süreç grubu sonlandırıldı: " +
           commandLine(request);
}

}  // namespace velmora
