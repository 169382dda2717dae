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

// A script reduced to what the stand-in compares: the code outside string
// literals with runs of white space as one space and each literal as a
// marker, and the literals' values in order, their escapes decoded as
// AppleScript reads them. Absent for text AppleScript would not compile: an
// unterminated literal or an unknown escape.
struct Reduced {
    std::string code;
    std::vector<std::string> literals;
};

constexpr char kLiteral = '\x02';

std::optional<Reduced> reduce(const std::string& text) {
    Reduced out;
    bool pendingSpace = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            pendingSpace = !out.code.empty();
            continue;
        }
        if (pendingSpace) out.code += ' ';
        pendingSpace = false;
        if (c != '"') {
            out.code += c;
            continue;
        }
        std::string literal;
        bool closed = false;
        for (++i; i < text.size(); ++i) {
            const char d = text[i];
            if (d == '"') {
                closed = true;
                break;
            }
            if (d != '\\') {
                literal += d;
                continue;
            }
            if (++i == text.size()) return std::nullopt;
            switch (text[i]) {
                case '"': literal += '"'; break;
                case '\\': literal += '\\'; break;
                case 'n': literal += '\n'; break;
                case 'r': literal += '\r'; break;
                case 't': literal += '\t'; break;
                default: return std::nullopt;
            }
        }
        if (!closed) return std::nullopt;
        out.code += kLiteral;
        out.literals.push_back(std::move(literal));
    }
    return out;
}

// Matches a script against a template whose value literals all stand for the
// same text; returns that text ("" for a template without a value).
std::optional<std::string> matchTemplate(const Reduced& source, const Reduced& templ) {
    if (source.code != templ.code || source.literals.size() != templ.literals.size()) return std::nullopt;
    std::optional<std::string> value;
    for (std::size_t i = 0; i < templ.literals.size(); ++i) {
        if (templ.literals[i] != std::string(1, kValue)) {
            if (source.literals[i] != templ.literals[i]) return std::nullopt;
        } else if (!value) {
            value = source.literals[i];
        } else if (*value != source.literals[i]) {
            return std::nullopt;
        }
    }
    return value.value_or("");
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
    const std::optional<Reduced> reduced = reduce(source);
    std::optional<ScriptKind> kind;
    std::string value;
    for (const auto& t : kTemplates) {
        if (!reduced) break;
        if (auto found = matchTemplate(*reduced, *reduce(t.text))) {
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
