#include "app/LoginItemScripts.h"

#include "platform/AppleScriptSource.h"

namespace velmora::loginItemScripts {

std::string menuQuery() {
    return "tell application \"System Events\"\n"
           "    get the name of every login item whose path contains \"Velmora\"\n"
           "end tell";
}

std::string menuAdd(const std::string& appPath) {
    return AppleScriptSource()
        .code("tell application \"System Events\"\n"
              "    try\n"
              "        -- Önce aynı uygulamanın var olup olmadığını kontrol et\n"
              "        set existingItems to login items whose path is ")
        .value(appPath)
        .code("\n"
              "        if (count of existingItems) = 0 then\n"
              "            make new login item at end with properties {path:")
        .value(appPath)
        .code(", hidden:true}\n"
              "        end if\n"
              "        return true\n"
              "    on error errorMessage\n"
              "        log \"Login item error: \" & errorMessage\n"
              "        return false\n"
              "    end try\n"
              "end tell")
        .text();
}

std::string menuRemove(const std::string& appPath) {
    return AppleScriptSource()
        .code("tell application \"System Events\"\n"
              "    try\n"
              "        delete every login item whose path is ")
        .value(appPath)
        .code("\n"
              "        return true\n"
              "    on error errorMessage\n"
              "        log \"Login item removal error: \" & errorMessage\n"
              "        return false\n"
              "    end try\n"
              "end tell")
        .text();
}

std::string windowAdd(const std::string& appPath) {
    return AppleScriptSource()
        .code("tell application \"System Events\"\n"
              "    try\n"
              "        -- Önce aynı uygulamanın var olup olmadığını kontrol et\n"
              "        set existingItems to login items whose path is ")
        .value(appPath)
        .code("\n"
              "        if (count of existingItems) = 0 then\n"
              "            make new login item at end with properties {path:")
        .value(appPath)
        .code(", hidden:false}\n"
              "            log \"Login item added successfully\"\n"
              "        else\n"
              "            log \"Login item already exists\"\n"
              "        end if\n"
              "        return true\n"
              "    on error errorMessage\n"
              "        log \"Login item add error: \" & errorMessage\n"
              "        return false\n"
              "    end try\n"
              "end tell")
        .text();
}

std::string windowRemove(const std::string& appPath) {
    return AppleScriptSource()
        .code("tell application \"System Events\"\n"
              "    try\n"
              "        set itemsToDelete to login items whose path is ")
        .value(appPath)
        .code("\n"
              "        repeat with itemToDelete in itemsToDelete\n"
              "            delete itemToDelete\n"
              "        end repeat\n"
              "        log \"Login items removed successfully\"\n"
              "        return true\n"
              "    on error errorMessage\n"
              "        log \"Login item removal error: \" & errorMessage\n"
              "        return false\n"
              "    end try\n"
              "end tell")
        .text();
}

std::string windowPresence(const std::string& appName) {
    return AppleScriptSource()
        .code("tell application \"System Events\"\n"
              "    set loginItemExists to false\n"
              "    try\n"
              "        set loginItemNames to name of every login item\n"
              "        repeat with itemName in loginItemNames\n"
              "            if itemName as string is equal to ")
        .value(appName)
        .code(" then\n"
              "                set loginItemExists to true\n"
              "                exit repeat\n"
              "            end if\n"
              "        end repeat\n"
              "    end try\n"
              "    return loginItemExists\n"
              "end tell")
        .text();
}

}  // namespace velmora::loginItemScripts
