#include "sim/services/SimAppleScriptRunner.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace velmora::sim {

namespace {

// The value marker inside the templates below.
constexpr char kValue = '\x01';

enum class ScriptKind { queryNames, addHidden, addVisible, deleteEvery, deleteEach, presence };

struct ScriptTemplate {
    ScriptKind kind;
    const char* text;
};

const ScriptTemplate kTemplates[] = {
    {ScriptKind::queryNames, R"(tell application "System Events"
    get the name of every login item whose path contains "Velmora"
end tell)"},
    {ScriptKind::addHidden, "tell application \"System Events\"\n"
                            "    try\n"
                            "        -- Önce aynı uygulamanın var olup olmadığını kontrol et\n"
                            "        set existingItems to login items whose path is \"\x01\"\n"
                            "        if (count of existingItems) = 0 then\n"
                            "            make new login item at end with properties {path:\"\x01\", hidden:true}\n"
                            "        end if\n"
                            "        return true\n"
                            "    on error errorMessage\n"
                            "        log \"Login item error: \" & errorMessage\n"
                            "        return false\n"
                            "    end try\n"
                            "end tell"},
    {ScriptKind::addVisible, "tell application \"System Events\"\n"
                             "    try\n"
                             "        -- Önce aynı uygulamanın var olup olmadığını kontrol et\n"
                             "        set existingItems to login items whose path is \"\x01\"\n"
                             "        if (count of existingItems) = 0 then\n"
                             "            make new login item at end with properties {path:\"\x01\", hidden:false}\n"
                             "            log \"Login item added successfully\"\n"
                             "        else\n"
                             "            log \"Login item already exists\"\n"
                             "        end if\n"
                             "        return true\n"
                             "    on error errorMessage\n"
                             "        log \"Login item add error: \" & errorMessage\n"
                             "        return false\n"
                             "    end try\n"
                             "end tell"},
    {ScriptKind::deleteEvery, "tell application \"System Events\"\n"
                              "    try\n"
                              "        delete every login item whose path is \"\x01\"\n"
                              "        return true\n"
                              "    on error errorMessage\n"
                              "        log \"Login item removal error: \" & errorMessage\n"
                              "        return false\n"
                              "    end try\n"
                              "end tell"},
    {ScriptKind::deleteEach, "tell application \"System Events\"\n"
                             "    try\n"
                             "        set itemsToDelete to login items whose path is \"\x01\"\n"
                             "        repeat with itemToDelete in itemsToDelete\n"
                             "            delete itemToDelete\n"
                             "        end repeat\n"
                             "        log \"Login items removed successfully\"\n"
                             "        return true\n"
                             "    on error errorMessage\n"
                             "        log \"Login item removal error: \" & errorMessage\n"
                             "        return false\n"
                             "    end try\n"
                             "end tell"},
    {ScriptKind::presence, "tell application \"System Events\"\n"
                           "    set loginItemExists to false\n"
                           "    try\n"
                           "        set loginItemNames to name of every login item\n"
                           "        repeat with itemName in loginItemNames\n"
                           "            if itemName as string is equal to \"\x01\" then\n"
                           "                set loginItemExists to true\n"
                           "                exit repeat\n"
                           "            end if\n"
                           "        end repeat\n"
                           "    end try\n"
                           "    return loginItemExists\n"
                           "end tell"},
};

// Indentation and line breaks do not change what a script means; runs of
// white space outside string literals count as one space.
std::string normalizeSpace(const std::string& text) {
    std::string out;
    bool pendingSpace = false;
    bool inString = false;
    for (char c : text) {
        if (c == '"') inString = !inString;
        if (!inString && (c == ' ' || c == '\t' || c == '\n' || c == '\r')) {
            pendingSpace = !out.empty();
        } else {
            if (pendingSpace) out += ' ';
            pendingSpace = false;
            out += c;
        }
    }
    return out;
}

// Matches the source against a template whose value markers all stand for
// the same text; returns that text. A value can hold neither a double quote
// nor a line break: in real AppleScript either would end the string literal.
std::optional<std::string> matchTemplate(const std::string& source, const std::string& templ) {
    std::vector<std::string> pieces;
    std::string piece;
    for (char c : templ) {
        if (c == kValue) {
            pieces.push_back(piece);
            piece.clear();
        } else {
            piece += c;
        }
    }
    pieces.push_back(piece);
    if (pieces.size() == 1) return source == templ ? std::optional<std::string>("") : std::nullopt;

    const std::string& first = pieces.front();
    if (source.compare(0, first.size(), first) != 0) return std::nullopt;
    std::size_t end = source.find('"', first.size());
    if (end == std::string::npos) return std::nullopt;
    std::string value = source.substr(first.size(), end - first.size());
    std::string rebuilt = first;
    for (std::size_t i = 1; i < pieces.size(); ++i) rebuilt += value + pieces[i];
    if (rebuilt != source) return std::nullopt;
    return value;
}

std::string errorDescription(long number, const std::string& message) {
    return "{\n    NSAppleScriptErrorAppName = \"System Events\";\n    NSAppleScriptErrorBriefMessage = \"" + message +
           "\";\n    NSAppleScriptErrorMessage = \"" + message + "\";\n    NSAppleScriptErrorNumber = \"" +
           std::to_string(number) + "\";\n    NSAppleScriptErrorRange = \"NSRange: {0, 0}\";\n}";
}

AppleScriptOutcome errorOutcome(long number, const std::string& message) {
    AppleScriptOutcome outcome;
    outcome.kind = AppleScriptOutcome::Kind::error;
    outcome.errorNumber = number;
    outcome.errorDescription = errorDescription(number, message);
    return outcome;
}

AppleScriptOutcome booleanOutcome(bool value) {
    AppleScriptOutcome outcome;
    outcome.kind = AppleScriptOutcome::Kind::result;
    outcome.booleanValue = value;
    outcome.stringValue = value ? "true" : "false";
    return outcome;
}

}  // namespace

std::string SimAppleScriptRunner::loginItemName(const std::string& path) {
    std::string name = path;
    while (name.size() > 1 && name.back() == '/') name.pop_back();
    auto slash = name.rfind('/');
    if (slash != std::string::npos) name = name.substr(slash + 1);
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".app") == 0) name.resize(name.size() - 4);
    return name;
}

AppleScriptOutcome SimAppleScriptRunner::execute(const std::string& source) {
    const std::string normalized = normalizeSpace(source);
    std::optional<ScriptKind> kind;
    std::string value;
    for (const auto& t : kTemplates) {
        if (auto found = matchTemplate(normalized, normalizeSpace(t.text))) {
            kind = t.kind;
            value = *found;
            break;
        }
    }
    if (!kind) return errorOutcome(kSyntaxError, "Expected end of line, etc. but found unknown token.");

    try {
        if (!machine_->read().automationAllowed) {
            return errorOutcome(kNotAuthorized, "Not authorized to send Apple events to System Events.");
        }
        switch (*kind) {
            case ScriptKind::queryNames: {
                // A list result read as text: the names joined the way a list
                // becomes text.
                std::string names;
                for (const auto& item : machine_->read().loginItems) {
                    if (item.path.find("Velmora") == std::string::npos) continue;
                    if (!names.empty()) names += ", ";
                    names += item.name;
                }
                AppleScriptOutcome outcome;
                outcome.kind = AppleScriptOutcome::Kind::result;
                outcome.stringValue = names;
                return outcome;
            }
            case ScriptKind::addHidden:
            case ScriptKind::addVisible: {
                bool hidden = *kind == ScriptKind::addHidden;
                machine_->update([&](MachineState& state) {
                    for (const auto& item : state.loginItems) {
                        if (item.path == value) return;
                    }
                    state.loginItems.push_back({loginItemName(value), value, hidden});
                });
                return booleanOutcome(true);
            }
            case ScriptKind::deleteEvery:
            case ScriptKind::deleteEach: {
                machine_->update([&](MachineState& state) {
                    auto& items = state.loginItems;
                    items.erase(std::remove_if(items.begin(), items.end(),
                                               [&](const LoginItem& item) { return item.path == value; }),
                                items.end());
                });
                return booleanOutcome(true);
            }
            case ScriptKind::presence: {
                bool present = false;
                for (const auto& item : machine_->read().loginItems) present = present || item.name == value;
                return booleanOutcome(present);
            }
        }
    } catch (const MachineError& e) {
        return errorOutcome(-1728, std::string("System Events got an error: ") + e.what());
    }
    return errorOutcome(kSyntaxError, "Expected end of line, etc. but found unknown token.");
}

}  // namespace velmora::sim
