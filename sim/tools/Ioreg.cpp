// ioreg: the IOUSB plane as a tree, with property blocks for every object
// (-l) or for the objects matching -c/-n, and subtrees of matches only (-r).
#include "sim/tools/ShortOptions.h"
#include "sim/tools/TextFormat.h"
#include "sim/tools/Tools.h"
#include "sim/tools/UsbTree.h"

namespace velmora::sim {

namespace {

const char* const kUsage =
    "usage: ioreg [-abfilrtxy] [-c class] [-d depth] [-k key] [-n name] [-p plane] [-w width]\n"
    "where options are:\n"
    "\t-a archive output\n"
    "\t-b show object name in bold\n"
    "\t-c list properties of objects with the given class\n"
    "\t-d limit tree to the given depth\n"
    "\t-f enable smart formatting\n"
    "\t-i show object inheritance\n"
    "\t-k list properties of objects with the given key\n"
    "\t-l list properties of all objects\n"
    "\t-n list properties of objects with the given name\n"
    "\t-p traverse registry over the given plane (IOService is default)\n"
    "\t-r show subtrees rooted by objects that match the specified criteria\n"
    "\t-t show location of each subtree\n"
    "\t-w clip output to the given line width (0 is unlimited)\n"
    "\t-x show data and numbers as hexadecimal\n"
    "\t-y do not show properties of this object\n";

struct Query {
    bool allProperties = false;
    bool rootedAtMatches = false;
    std::vector<std::string> classes;
    std::vector<std::string> names;
    bool matches(const RegistryNode& node) const {
        for (const auto& c : classes) {
            if (node.className == c) return true;
        }
        for (const auto& n : names) {
            if (node.name == n) return true;
        }
        return false;
    }
    bool hasCriteria() const { return !classes.empty() || !names.empty(); }
};

std::string title(const RegistryNode& node) {
    std::string line = node.name;
    if (!node.location.empty()) line += "@" + node.location;
    line += "  <class " + node.className + ", id 0x" + text::lower(text::hex(node.id, 9));
    if (node.className == "IORegistryEntry") {
        line += ", retain " + std::to_string(node.retain) + ">";
    } else {
        line += ", registered, matched, active, busy 0 (" + std::to_string(node.busyMs) + " ms), retain " +
                std::to_string(node.retain) + ">";
    }
    return line;
}

void print(std::string& out, const RegistryNode& node, const std::string& prefix, bool isLast, const Query& query) {
    out += prefix + "+-o " + title(node) + "\n";
    std::string childPrefix = prefix + (isLast ? "  " : "| ");
    if (query.allProperties || query.matches(node)) {
        std::string block = childPrefix + (node.children.empty() ? "  " : "| ");
        out += block + "{\n";
        for (const auto& property : node.properties) {
            out += block + "  \"" + property.first + "\" = " + property.second + "\n";
        }
        out += block + "}\n";
        out += block + "\n";
    }
    for (std::size_t i = 0; i < node.children.size(); ++i) {
        print(out, node.children[i], childPrefix, i + 1 == node.children.size(), query);
    }
}

void printMatchedSubtrees(std::string& out, const RegistryNode& node, const Query& query) {
    if (query.matches(node)) {
        Query inside = query;
        print(out, node, "", true, inside);
        out += "\n";
        return;
    }
    for (const auto& child : node.children) printMatchedSubtrees(out, child, query);
}

}  // namespace

int runIoreg(ToolContext& ctx, const ToolArguments& args) {
    auto parsed = ShortOptions("abfilrtxyS", "cdknpw").parse(args, 0, true);
    if (auto* error = std::get_if<ShortOptions::Error>(&parsed)) {
        ctx.err += "ioreg: " + error->message() + "\n" + kUsage;
        return 1;
    }
    auto& options = std::get<ShortOptions::Parsed>(parsed);
    if (!options.operands.empty()) {
        ctx.err += kUsage;
        return 1;
    }
    Query query;
    query.allProperties = options.has('l');
    query.rootedAtMatches = options.has('r');
    query.classes = options.all('c');
    query.names = options.all('n');
    std::string plane = options.last('p').value_or("IOService");

    RegistryNode root = UsbTree::build(ctx.state());
    if (plane != "IOUSB") {
        // Only the USB plane is modelled; other planes show their root.
        root.children.clear();
    }
    if (query.rootedAtMatches && query.hasCriteria()) {
        printMatchedSubtrees(ctx.out, root, query);
    } else {
        print(ctx.out, root, "", true, query);
    }
    return 0;
}

}  // namespace velmora::sim
