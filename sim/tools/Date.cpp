// date, BSD flavour: -v adjustments, -u, -r seconds and +format; setting the
// clock is refused like it is for a standard user.
#include "sim/tools/LocalTime.h"
#include "sim/tools/ShortOptions.h"
#include "sim/tools/TextFormat.h"
#include "sim/tools/Tools.h"

namespace velmora::sim {

namespace {

const char* const kUsage =
    "usage: date [-jnRu] [-I[date|hours|minutes|seconds]] [-f input_fmt]\n"
    "            [-r filename|seconds] [-v[+|-]val[y|m|w|d|H|M|S]]\n"
    "            [[[[mm]dd]HH]MM[[cc]yy][.SS] | new_date] [+output_fmt]\n";

}  // namespace

int runDate(ToolContext& ctx, const ToolArguments& args) {
    auto parsed = ShortOptions("jnRu", "rvf").parse(args);
    if (auto* error = std::get_if<ShortOptions::Error>(&parsed)) {
        ctx.err += "date: " + error->message() + "\n" + kUsage;
        return 1;
    }
    auto& options = std::get<ShortOptions::Parsed>(parsed);
    bool utc = options.has('u');
    double when = ctx.now();
    if (auto r = options.last('r')) {
        long long seconds = 0;
        if (!text::parseInteger(*r, seconds)) {
            ctx.err += "date: " + *r + ": No such file or directory\n";
            return 1;
        }
        when = static_cast<double>(seconds);
    }
    std::string format = "%a %b %e %H:%M:%S %Z %Y";
    for (const auto& operand : options.operands) {
        if (!operand.empty() && operand[0] == '+') {
            format = operand.substr(1);
        } else {
            ctx.err += "date: settimeofday (timeval): Operation not permitted\n";
            return 1;
        }
    }
    std::tm tm = LocalTime::broken(when, utc);
    for (const auto& adjustment : options.all('v')) {
        if (utc) {
            // Adjust in UTC by working on the broken-down time directly.
            std::tm local = LocalTime::broken(when);
            if (!LocalTime::adjust(local, adjustment)) {
                ctx.err += "date: " + adjustment + ": illegal time adjustment\n";
                return 1;
            }
            when = LocalTime::seconds(local);
            tm = LocalTime::broken(when, true);
        } else if (!LocalTime::adjust(tm, adjustment)) {
            ctx.err += "date: " + adjustment + ": illegal time adjustment\n";
            return 1;
        }
    }
    ctx.out += LocalTime::format(tm, format) + "\n";
    return 0;
}

}  // namespace velmora::sim
