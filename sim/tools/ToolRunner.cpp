#include "sim/tools/ToolRunner.h"

#include <exception>

#include "sim/tools/OutputFaults.h"
#include "sim/tools/Tools.h"

namespace velmora::sim {

namespace {

void journal(Machine& machine, const ToolRunRequest& request, int exitStatus) {
    JournalEntry entry;
    entry.time = request.now;
    entry.argv.reserve(request.arguments.size() + 1);
    entry.argv.push_back(request.tool);
    entry.argv.insert(entry.argv.end(), request.arguments.begin(), request.arguments.end());
    entry.exitStatus = exitStatus;
    try {
        machine.appendJournal(entry);
    } catch (const std::exception&) {
        // A journal that cannot be written must not change what the caller sees.
    }
}

ToolFault faultOf(const MachineState& state, const std::string& tool) {
    auto found = state.toolFaults.find(tool);
    return found == state.toolFaults.end() ? ToolFault::none : found->second;
}

}  // namespace

ToolRunResult ToolRunner::run(Machine& machine, const ToolRunRequest& request) {
    ToolRunResult result;
    ToolFunction function = toolNamed(request.tool);
    if (function == nullptr) {
        result.exitStatus = 127;
        result.err = "velmora-sim-tool: " + request.tool + ": unknown tool\n";
        return result;
    }
    ToolContext context(machine, request.invokedAs.empty() ? request.tool : request.invokedAs, request.now,
                        request.sleeper);
    ToolFault fault = ToolFault::none;
    try {
        fault = faultOf(context.state(), request.tool);
    } catch (const std::exception& error) {
        result.exitStatus = 70;
        result.err = request.tool + ": cannot read the simulated machine: " + error.what() + "\n";
        journal(machine, request, result.exitStatus);
        return result;
    }

    switch (fault) {
        case ToolFault::hang:
            journal(machine, request, hangExitStatus);
            result.hangs = true;
            return result;
        case ToolFault::missing:
            // Normally the tool's link is gone and nothing starts; reached only
            // when the binary is called by its own name.
            result.exitStatus = 127;
            result.err = request.tool + ": No such file or directory\n";
            journal(machine, request, result.exitStatus);
            return result;
        case ToolFault::fail:
            result.exitStatus = 1;
            result.err = request.tool + ": Input/output error\n";
            journal(machine, request, result.exitStatus);
            return result;
        case ToolFault::slow: {
            const auto& delays = context.state().toolSlowSeconds;
            const auto delay = delays.find(request.tool);
            context.sleep(delay == delays.end() ? 0 : delay->second);
            break;
        }
        case ToolFault::huge: {
            MachineState inflated = context.state();
            OutputFaults::inflate(inflated);
            context.setState(std::move(inflated));
            break;
        }
        default:
            break;
    }

    try {
        result.exitStatus = function(context, request.arguments);
    } catch (const std::exception& error) {
        result.exitStatus = 70;
        context.err += request.tool + ": " + error.what() + "\n";
    }
    result.out = std::move(context.out);
    result.err = std::move(context.err);

    switch (fault) {
        case ToolFault::garble: result.out = OutputFaults::garble(result.out); break;
        case ToolFault::truncate: result.out = OutputFaults::truncate(result.out); break;
        case ToolFault::nonUTF8: result.out = OutputFaults::insertNonUTF8(result.out); break;
        case ToolFault::huge: result.out = OutputFaults::padToHuge(result.out); break;
        default: break;
    }
    journal(machine, request, result.exitStatus);
    return result;
}

}  // namespace velmora::sim
