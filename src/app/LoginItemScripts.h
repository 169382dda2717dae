#pragma once
// The AppleScripts sent to "System Events" for login items: the status menu's
// (hidden item, "AutoStartEnabled") and the main window's (visible item,
// "startupItemAdded"). Paths and names enter only as string literals.
#include <string>

namespace velmora::loginItemScripts {

std::string menuQuery();
std::string menuAdd(const std::string& appPath);
std::string menuRemove(const std::string& appPath);

std::string windowAdd(const std::string& appPath);
std::string windowRemove(const std::string& appPath);
std::string windowPresence(const std::string& appName);

}  // namespace velmora::loginItemScripts
