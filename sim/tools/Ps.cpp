// ps -o with pid, comm, command, ppid, %cpu, user columns for the machine's
// processes; -p with no such process prints the header alone and fails.
#include <cstdio>

#include "sim/tools/TextFormat.h"
#include "sim/tools/Tools.h"

namespace velmora::sim {

namespace {

const char* const kUsage =
    "usage: ps [-AaCcEefhjlMmrSTvwXx] [-O fmt | -o fmt] [-G gid[,gid...]]\n"
    "          [-g grp[,grp...]] [-u [uid,uid...]]\n"
    "          [-p pid[,pid...]] [-t tty[,tty...]] [-U user[,user...]]\n"
    "       ps [-L]\n";

struct Column {
    std::string key;
    std::string header;
    bool rightAligned;
    std::size_t width;
};

std::optional<Column> columnFor(const std::string& key) {
    if (key == "pid") return Column{key, "PID", true, 5};
    if (key == "ppid") return Column{key, "PPID", true, 5};
    if (key == "comm" || key == "ucomm") return Column{key, "COMM", false, 0};
    if (key == "command" || key == "args") return Column{key, "COMMAND", false, 0};
    if (key == "%cpu" || key == "pcpu") return Column{key, "%CPU", true, 4};
    if (key == "user") return Column{key, "USER", false, 8};
    return std::nullopt;
}

std::string valueOf(const Column& column, const ProcessEntry& p) {
    if (column.key == "pid") return std::to_string(p.pid);
    if (column.key == "ppid") return "1";
    if (column.key == "comm" || column.key == "ucomm" || column.key == "command" || column.key == "args") return p.command;
    if (column.key == "user") return "user";
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%.1f", p.cpu);
    return buffer;
}

std::string renderLine(const std::vector<Column>& columns, const std::vector<std::string>& values) {
    std::string line;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (i) line += " ";
        bool last = i + 1 == columns.size();
        const Column& c = columns[i];
        line += c.rightAligned ? text::padLeft(values[i], c.width) : last ? values[i] : text::padRight(values[i], c.width);
    }
    return line + "\n";
}

}  // namespace

int runPs(ToolContext& ctx, const ToolArguments& args) {
    std::vector<Column> columns;
    std::vector<int> pids;
    bool all = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if ((a == "-o" || a == "-O") && i + 1 < args.size()) {
            for (auto key : text::split(args[++i], ',')) {
                std::string name = key.substr(0, key.find('='));
                auto column = columnFor(name);
                if (!column) {
                    ctx.err += "ps: " + name + ": keyword not found\n" + "ps: no valid keywords; valid keywords:\n";
                    return 1;
                }
                if (key.find('=') != std::string::npos) column->header = key.substr(key.find('=') + 1);
                columns.push_back(*column);
            }
        } else if (a == "-p" && i + 1 < args.size()) {
            for (const auto& piece : text::split(args[++i], ',')) {
                long long n = 0;
                if (!text::parseInteger(piece, n) || n < 0 || n > 99999999) {
                    ctx.err += "ps: Invalid process id: " + piece + "\n" + kUsage;
                    return 1;
                }
                pids.push_back(static_cast<int>(n));
            }
        } else if (a == "-A" || a == "-e" || a == "-ax" || a == "-x" || a == "-a") {
            all = true;
        } else if (a == "-c" || a == "-ww" || a == "-w") {
            continue;
        } else {
            ctx.err += "ps: illegal argument: " + a + "\n" + kUsage;
            return 1;
        }
    }
    if (columns.empty()) columns = {*columnFor("pid"), *columnFor("command")};
    std::vector<std::string> headers;
    for (auto& c : columns) {
        headers.push_back(c.header);
        if (c.rightAligned) c.width = std::max(c.width, text::displayWidth(c.header));
    }
    ctx.out += renderLine(columns, headers);
    bool matched = false;
    for (const auto& p : ctx.state().processes) {
        bool wanted = all && pids.empty();
        for (int pid : pids) wanted = wanted || pid == p.pid;
        if (!wanted) continue;
        std::vector<std::string> values;
        for (const auto& c : columns) values.push_back(valueOf(c, p));
        ctx.out += renderLine(columns, values);
        matched = true;
    }
    return matched || (all && pids.empty()) ? 0 : 1;
}

}  // namespace velmora::sim
