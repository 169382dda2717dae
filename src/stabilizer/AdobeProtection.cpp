#include "stabilizer/AdobeProtection.h"

#include "platform/Workspace.h"

namespace velmora {

namespace {

std::string joined(const std::vector<std::string>& names, const std::string& separator) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) text += separator;
        text += names[i];
    }
    return text;
}

}  // namespace

AdobeProtection::AdobeProtection(const StabilizerContext& context, Date constructionTime)
    : context_(context), lastAdobeCheck_(constructionTime) {}

void AdobeProtection::detectAdobeActivity() {
    std::vector<std::string> found;
    for (const auto& app : context_.platform().workspace->runningApplications()) {
        if (!app.bundleIdentifier) continue;
        if (isCreativeBundleIdentifier(*app.bundleIdentifier)) {
            found.push_back(app.localizedName.value_or(*app.bundleIdentifier));
        }
    }
    // Ordered comparison: the same applications in a new order count as a change.
    if (found == adobeAppsActive_) return;
    adobeAppsActive_ = found;
    lastAdobeCheck_ = context_.platform().scheduler->now();
    if (found.empty()) {
        context_.log("✅ Adobe aktivitesi durdu - normal koruma moduna geçiş");
        activateNormalProtection();
    } else {
        context_.log("🎨 Adobe aktivitesi algılandı: " + joined(found, ", "));
        activateEnhancedProtection();
    }
}

void AdobeProtection::activateEnhancedProtection() {
    context_.log("🛡️ ENHANCED PROTECTION aktif - Adobe apps running");
    context_.publish(StabilityLevel::maximum, "🛡️ Maksimum koruma - Adobe aktivitesi algılandı");
    context_.log("🚀 MAXIMUM USB PROTECTION aktif");
    context_.run(Script(
        "sudo pmset -a usbsleep 0\n"
        "sudo kextunload -b com.apple.iokit.IOUSBFamily 2>/dev/null || true\n"
        "sudo kextload -b com.apple.iokit.IOUSBFamily 2>/dev/null || true"));
    context_.run(Script("sudo sysctl -w hw.usb.power_reservation=500").onlyTunesSettings());
    context_.run(Script(
        "sudo sysctl -w kern.ipc.somaxconn=1024\n"
        "sudo sysctl -w kern.maxfiles=65536\n"
        "sudo sysctl -w kern.maxfilesperproc=32768")
            .onlyTunesSettings());
}

void AdobeProtection::activateNormalProtection() {
    context_.log("🟢 NORMAL PROTECTION aktif");
    context_.publish(StabilityLevel::protecting, "🟢 Normal koruma moduna geçiş");
    context_.log("📊 STANDARD USB PROTECTION aktif");
    context_.run(Script("sudo pmset -a usbsleep 0").onlyTunesSettings());
}

}  // namespace velmora
