// sysctl: reads the machine's kernel variables; writing needs root. Variables
// the machine does not have are unknown oids, as on a real Mac.
#include "sim/tools/ShortOptions.h"
#include "sim/tools/TextFormat.h"
#include "sim/tools/Tools.h"

namespace velmora::sim {

namespace {

const char* const kUsage =
    "usage: sysctl [-bdehiNnoqx] name[=value] ...\n"
    "       sysctl [-bdehNnoqx] -a\n";

void printVariable(ToolContext& ctx, const std::string& name, const std::string& value, bool valueOnly) {
    ctx.out += valueOnly ? value + "\n" : name + ": " + value + "\n";
}

}  // namespace

int runSysctl(ToolContext& ctx, const ToolArguments& args) {
    auto parsed = ShortOptions("AabdehiNnoqwXx", "").parse(args);
    if (auto* error = std::get_if<ShortOptions::Error>(&parsed)) {
        ctx.err += "sysctl: " + error->message() + "\n" + kUsage;
        return 1;
    }
    auto& options = std::get<ShortOptions::Parsed>(parsed);
    bool valueOnly = options.has('n');
    const MachineState& state = ctx.state();
    if (options.has('a') || options.has('A')) {
        for (const auto& [name, value] : state.sysctl) printVariable(ctx, name, value, valueOnly);
        return 0;
    }
    if (options.operands.empty()) {
        ctx.err += kUsage;
        return 1;
    }
    int status = 0;
    for (const auto& operand : options.operands) {
        std::size_t equals = operand.find('=');
        std::string name = operand.substr(0, equals);
        if (equals == std::string::npos) {
            bool found = false;
            for (const auto& [known, value] : state.sysctl) {
                if (known == name || text::startsWith(known, name + ".")) {
                    printVariable(ctx, known, value, valueOnly);
                    found = true;
                }
            }
            if (!found) {
                ctx.err += "sysctl: unknown oid '" + name + "'\n";
                return 1;
            }
            continue;
        }
        std::string value = operand.substr(equals + 1);
        auto known = state.sysctl.find(name);
        if (known == state.sysctl.end()) {
            ctx.err += "sysctl: unknown oid '" + name + "'\n";
            return 1;
        }
        if (!state.userIsAdmin) {
            printVariable(ctx, name, known->second, valueOnly);
            ctx.err += "sysctl: " + operand + ": Operation not permitted\n";
            status = 1;
            continue;
        }
        std::string old = known->second;
        ctx.update([&](MachineState& s) { s.sysctl[name] = value; });
        ctx.out += valueOnly ? value + "\n" : name + ": " + old + " -> " + value + "\n";
    }
    return status;
}

}  // namespace velmora::sim
