#include "app/ConsoleFiltering.h"

#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace velmora {

const std::vector<std::pair<std::string, std::string>>& consoleFilteringEnvironment() {
    static const std::vector<std::pair<std::string, std::string>> variables = {
        {"OS_ACTIVITY_MODE", "disable"},
        {"NSUnbufferedIO", "YES"},
        {"NSLOG_DISABLE", "YES"},
        {"OS_ACTIVITY_DT_MODE", "disable"},
        {"LIBXPC_DEBUG_DISABLE", "1"},
        {"NSXPC_DEBUG_DISABLE", "1"},
        {"NSXPC_CONNECTION_DEBUG", "NO"},
        {"NSXPC_DECODER_DEBUG", "NO"},
        {"NSXPCInterfaceDebugLevel", "0"},
        {"NSXPCConnectionDebugEnabled", "0"},
        {"NSXPCDecoderDebugEnabled", "0"},
        {"NSXPCSecureCodingDebug", "NO"},
        {"NSXPCAllowedClassesDebug", "NO"},
        {"NSXPCValidationDebug", "NO"},
        {"IMK_DEBUG_DISABLE", "1"},
        {"IMK_XPC_DEBUG", "NO"},
        {"IMK_XPC_DISABLE", "YES"},
        {"IMK_DEBUG", "0"},
        {"IMKXPCServerProxy_DEBUG", "NO"},
        {"IMK_ENDPOINT_DEBUG", "NO"},
        {"NS_SECURE_CODING_DEBUG", "NO"},
        {"NSSecureCodingDebugLevel", "0"},
        {"NSSecureCodingDebugEnabled", "0"},
        {"GENERATIVE_MODELS_DEBUG", "NO"},
        {"AF_DEBUG_DISABLE", "1"},
        {"AF_ELIGIBILITY_DEBUG", "NO"},
        {"OS_ELIGIBILITY_DEBUG", "NO"},
        {"LOCALE_DEBUG_DISABLE", "1"},
        {"LANGUAGE_CODE_DEBUG", "NO"},
    };
    return variables;
}

void PosixProcessConsole::setEnvironment(const std::string& name, const std::string& value) {
    ::setenv(name.c_str(), value.c_str(), 1);
}

bool PosixProcessConsole::redirectStandardErrorToNull() {
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null < 0) return false;
    ::dup2(null, STDERR_FILENO);
    ::close(null);
    return true;
}

void setupConsoleFiltering(const Platform& platform, ProcessConsole& console) {
    auto& say = *platform.diagnostics;
    say.line("🚀 Velmora başlatıldı");
    say.line("📱 Sistem debug mesajları filtrelendi");
    for (const auto& [name, value] : consoleFilteringEnvironment()) console.setEnvironment(name, value);

    auto& defaults = *platform.defaults;
    defaults.setBool("NSXPCConnectionDebugEnabled", false);
    defaults.setBool("NSXPCDecoderDebugEnabled", false);
    defaults.setBool("NSSecureCodingDebugEnabled", false);
    defaults.setInteger("NSXPCInterfaceDebugLevel", 0);
    defaults.setInteger("NSSecureCodingDebugLevel", 0);
    defaults.setBool("NSXPCValidationEnabled", false);
    defaults.setBool("NSXPCAllowedClassesValidation", false);
    defaults.setBool("GenerativeModelsDebugEnabled", false);
    defaults.setBool("AFDeviceEligibilityDebug", false);
    defaults.setStringList("AppleLanguages", {"en"});
    defaults.setBool("IMKXPCDebugEnabled", false);
    defaults.setBool("IMKEndpointDebugEnabled", false);

    console.redirectStandardErrorToNull();

    say.line("🔇 Sistem debug mesajları filtrelendi:");
    say.line("   • XPC/NSSecureCoding uyarıları");
    say.line("   • IMK Endpoint hataları");
    say.line("   • GenerativeModels dil kodu uyarıları");
    say.line("   • AFDevice eligibility uyarıları");
}

}  // namespace velmora
