#include "SimCommandLine.h"

#include <cstdio>
#include <ctime>
#include <map>
#include <optional>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

#include "sim/state/Machine.h"
#include "sim/state/MachineEditor.h"
#include "sim/state/MachineFolder.h"
#include "sim/state/ScenarioLibrary.h"
#include "sim/state/ToolTree.h"
#include "sim/state/VolumeContents.h"

namespace velmora::sim {

namespace {

struct VerbHelp {
    const char* verb;
    const char* text;
};

const VerbHelp kHelp[] = {
    {"init", "velmora-sim init DIR [--scenario NAME] [--scenario-file PATH] [--tool PATH]\n"
             "  Makes DIR a simulated Mac (scenario \"default\" unless named). The stand-in tool\n"
             "  binary is velmora-sim-tool next to this program unless --tool names it.\n"},
    {"plug", "velmora-sim plug DIR --name MEDIA_NAME [--volume VOLUME_NAME] [--size BYTES]\n"
             "     [--bridge RTL9210B-CG|RTL9210|ASM1153E|JMS567|NONE] [--fs APFS|ExFAT|MS-DOS|HFS+]\n"
             "     [--product USB_PRODUCT_NAME]\n"
             "  Attaches a USB disk behind a new USB device, mounts its volume under DIR/Volumes\n"
             "  and prints the whole-disk identifier. APFS adds a synthesized container disk.\n"},
    {"unplug", "velmora-sim unplug DIR IDENTIFIER\n"
               "  Detaches the whole disk and everything behind the same USB device.\n"},
    {"image", "velmora-sim image DIR --volume VOLUME_NAME [--size BYTES]\n"
              "  Attaches and mounts a disk image (protocol \"Disk Image\", no USB device) and prints\n"
              "  its whole-disk identifier; unplug detaches it.\n"},
    {"mount", "velmora-sim mount DIR IDENTIFIER\n  Mounts a volume (or a whole disk's volume) and prints the mount point.\n"},
    {"unmount", "velmora-sim unmount DIR IDENTIFIER\n  Unmounts a volume (or a whole disk's volume).\n"},
    {"log", "velmora-sim log DIR TEXT [--process NAME]\n  Appends a system log line now (process \"kernel\" unless named).\n"},
    {"app", "velmora-sim app start DIR --name NAME --bundle-id ID [--cpu PERCENT] [--path BUNDLE_PATH]\n"
            "     [--cwd ABSOLUTE_PATH] [--policy regular|accessory|prohibited] [--launched SECONDS_AGO]\n"
            "velmora-sim app stop DIR NAME\n"
            "  Starts or stops an application (regular, launched now, working directory \"/\"\n"
            "  unless given); start prints its pid.\n"},
    {"bundle", "velmora-sim bundle DIR VOLUME_ID NAME.app [--under SUBDIR]\n"
               "  Puts an application bundle on a mounted volume (in SUBDIR, made when missing)\n"
               "  and prints its path.\n"},
    {"link-loop", "velmora-sim link-loop DIR VOLUME_ID [--under SUBDIR]\n"
                  "  Makes SUBDIR/Loop on a mounted volume, a symbolic link back to the folder\n"
                  "  holding SUBDIR (to itself at the root), and prints its path.\n"},
    {"fault", "velmora-sim fault DIR TOOL hang|missing|fail|garble|truncate|nonUTF8|huge|clear\n"
              "velmora-sim fault DIR TOOL slow SECONDS\n"
              "  Sets or clears a fault on a tool by program name (e.g. diskutil). missing removes\n"
              "  the tool's program so starting it fails; clear restores it. slow answers as usual\n"
              "  after waiting SECONDS.\n"},
    {"usb-fault", "velmora-sim usb-fault DIR IDENTIFIER timeout|error|clear\n"
                  "  Adds or removes RTL9210 timeout/error marker lines on the disk's USB device.\n"},
    {"enumeration-failure", "velmora-sim enumeration-failure DIR [--count N] [--name TEXT]\n"
                            "  Appends N pairs of kernel lines about USB enumeration failures (default 1).\n"},
    {"vanish", "velmora-sim vanish DIR IDENTIFIER [--clear]\n"
               "  The disk stays listed but `diskutil info` can no longer find it.\n"},
    {"privilege", "velmora-sim privilege DIR admin|standard\n  Sets the user's privilege.\n"},
    {"automation", "velmora-sim automation DIR allow|deny\n  Allows or denies automation of System Events.\n"},
    {"notifications", "velmora-sim notifications DIR authorization notDetermined|denied|authorized|provisional|ephemeral\n"
                      "velmora-sim notifications DIR request grant|deny\n"
                      "  Sets the notification authorization, or the answer to the next permission request.\n"},
    {"alerts", "velmora-sim alerts DIR answer N\n"
               "  Answers every later alert with its button number N (counting from 1; past the\n"
               "  last button: the last). Until set, alerts are answered with the first button.\n"},
    {"journal", "velmora-sim journal DIR [--clear]\n  Prints one tool run a line: the tool name and its arguments.\n"},
    {"show", "velmora-sim show DIR disks|usb|processes|log|notifications|assertions|login-items|urls|alerts|\n"
             "     launch-services\n"
             "  Prints part of the machine's state in readable lines.\n"},
    {"state", "velmora-sim state DIR\n  Prints the whole state as JSON.\n"},
};

const char* helpFor(const std::string& verb) {
    for (const auto& h : kHelp) {
        if (verb == h.verb) return h.text;
    }
    return nullptr;
}

bool wantsHelp(const std::vector<std::string>& args) {
    for (const auto& a : args) {
        if (a == "--help" || a == "-h") return true;
    }
    return false;
}

// Positional operands plus "--option value" pairs; "--flag" options take no
// value. Anything else starting with "--" is an error.
struct ParsedArguments {
    std::vector<std::string> positional;
    std::map<std::string, std::string> options;
    std::set<std::string> flags;
    std::string error;

    std::optional<std::string> option(const std::string& name) const {
        auto it = options.find(name);
        if (it == options.end()) return std::nullopt;
        return it->second;
    }
};

ParsedArguments parse(const std::vector<std::string>& args, const std::set<std::string>& valued,
                      const std::set<std::string>& flags = {}) {
    ParsedArguments parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
            if (valued.count(a)) {
                if (i + 1 >= args.size()) {
                    parsed.error = a + " needs a value";
                    return parsed;
                }
                parsed.options[a] = args[++i];
            } else if (flags.count(a)) {
                parsed.flags.insert(a);
            } else {
                parsed.error = "unknown option " + a;
                return parsed;
            }
        } else {
            parsed.positional.push_back(a);
        }
    }
    return parsed;
}

std::optional<long long> parseInteger(const std::string& text) {
    if (text.empty()) return std::nullopt;
    std::size_t used = 0;
    try {
        long long value = std::stoll(text, &used, 10);
        if (used != text.size()) return std::nullopt;
        return value;
    } catch (...) {
        return std::nullopt;
    }
}

std::optional<double> parseNumber(const std::string& text) {
    if (text.empty()) return std::nullopt;
    std::size_t used = 0;
    try {
        double value = std::stod(text, &used);
        if (used != text.size()) return std::nullopt;
        return value;
    } catch (...) {
        return std::nullopt;
    }
}

std::string timeText(double seconds) {
    std::time_t t = static_cast<std::time_t>(seconds);
    std::tm parts{};
    ::localtime_r(&t, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts);
    return text;
}

// A journal argument as a reader would type it: quoted only when it holds
// spaces, quotes or other characters a shell would split on.
std::string displayArgument(const std::string& arg) {
    bool plain = !arg.empty();
    for (unsigned char c : arg) {
        if (c <= ' ' || c == '\'' || c == '"' || c == '\\' || c == '$' || c == '`' || c == ';' || c == '&' ||
            c == '|' || c == '(' || c == ')' || c == '<' || c == '>' || c == '*' || c == '?') {
            plain = false;
            break;
        }
    }
    if (plain) return arg;
    // A script of several lines stays on the entry's one line, as a shell's
    // $'…' would spell it.
    if (arg.find('\n') != std::string::npos) {
        std::string escaped = "$'";
        for (char c : arg) {
            if (c == '\n') {
                escaped += "\\n";
            } else if (c == '\'' || c == '\\') {
                escaped += std::string("\\") + c;
            } else {
                escaped += c;
            }
        }
        return escaped + "'";
    }
    std::string quoted = "'";
    for (char c : arg) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

bool isFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

Machine existingMachine(const std::string& dir) {
    Machine machine(MachineFolder::absolute(dir));
    if (!machine.exists()) throw MachineError("not a simulated machine: " + dir + " (run velmora-sim init first)");
    return machine;
}

}  // namespace

int SimCommandLine::usage(const std::string& verb) {
    if (const char* text = helpFor(verb)) {
        err_ << "usage: " << text;
    } else {
        err_ << "usage: velmora-sim VERB DIR ... (velmora-sim --help lists the verbs)\n";
    }
    return 2;
}

int SimCommandLine::fail(const std::string& message) {
    err_ << "velmora-sim: " << message << "\n";
    return 1;
}

int SimCommandLine::run(const std::vector<std::string>& arguments) {
    if (arguments.empty()) return usage("");
    const std::string& verb = arguments[0];
    std::vector<std::string> rest(arguments.begin() + 1, arguments.end());
    if (verb == "--help" || verb == "-h" || verb == "help") {
        out_ << "velmora-sim: a simulated Mac in a folder, for the program, its tests and demos.\n\n";
        for (const auto& h : kHelp) out_ << h.text << "\n";
        return 0;
    }
    if (!helpFor(verb)) {
        err_ << "velmora-sim: unknown verb " << verb << "\n";
        return usage("");
    }
    if (wantsHelp(rest)) {
        out_ << "usage: " << helpFor(verb);
        return 0;
    }
    try {
        if (verb == "init") return init(rest);
        if (verb == "plug") return plug(rest);
        if (verb == "unplug") return unplug(rest);
        if (verb == "image") return image(rest);
        if (verb == "mount") return mountVerb(rest, true);
        if (verb == "unmount") return mountVerb(rest, false);
        if (verb == "log") return log(rest);
        if (verb == "app") return app(rest);
        if (verb == "bundle") return bundle(rest);
        if (verb == "link-loop") return linkLoop(rest);
        if (verb == "fault") return fault(rest);
        if (verb == "usb-fault") return usbFault(rest);
        if (verb == "enumeration-failure") return enumerationFailure(rest);
        if (verb == "vanish") return vanish(rest);
        if (verb == "privilege") return privilege(rest);
        if (verb == "automation") return automation(rest);
        if (verb == "notifications") return notifications(rest);
        if (verb == "alerts") return alerts(rest);
        if (verb == "journal") return journal(rest);
        if (verb == "show") return show(rest);
        if (verb == "state") return state(rest);
    } catch (const MachineError& e) {
        return fail(e.what());
    }
    return usage("");
}

int SimCommandLine::init(const std::vector<std::string>& args) {
    auto p = parse(args, {"--scenario", "--scenario-file", "--tool"});
    if (!p.error.empty() || p.positional.size() != 1) return usage("init");
    std::string tool = p.option("--tool").value_or(ToolTree::programFolder() + "/velmora-sim-tool");
    if (!isFile(tool)) return fail("cannot find the stand-in tool binary " + tool + " (use --tool PATH)");
    tool = MachineFolder::absolute(tool);
    std::string dir = MachineFolder::absolute(p.positional[0]);
    double now = Machine::now();
    MachineState initial;
    if (auto file = p.option("--scenario-file")) {
        initial = ScenarioLibrary::loadFile(*file, dir, now);
    } else {
        initial = ScenarioLibrary(ScenarioLibrary::folderFor(ToolTree::programFolder()))
                      .load(p.option("--scenario").value_or("default"), dir, now);
    }
    MachineFolder::create(dir, initial, tool);
    return 0;
}

int SimCommandLine::plug(const std::vector<std::string>& args) {
    auto p = parse(args, {"--name", "--volume", "--size", "--bridge", "--fs", "--product"});
    if (!p.error.empty() || p.positional.size() != 1 || !p.option("--name")) return usage("plug");
    PlugOptions options;
    options.mediaName = *p.option("--name");
    options.volumeName = p.option("--volume").value_or("");
    if (auto size = p.option("--size")) {
        auto value = parseInteger(*size);
        if (!value || *value <= 0) return fail("not a size in bytes: " + *size);
        options.size = *value;
    }
    options.bridge = p.option("--bridge").value_or(options.bridge);
    if (!MachineEditor::isKnownBridge(options.bridge)) return fail("unknown bridge " + options.bridge);
    options.fileSystem = p.option("--fs").value_or(options.fileSystem);
    if (!MachineEditor::isKnownFileSystem(options.fileSystem)) return fail("unknown file system " + options.fileSystem);
    options.productName = p.option("--product");
    Machine machine = existingMachine(p.positional[0]);
    out_ << MachineEditor(machine).plug(options) << "\n";
    return 0;
}

int SimCommandLine::unplug(const std::vector<std::string>& args) {
    auto p = parse(args, {});
    if (!p.error.empty() || p.positional.size() != 2) return usage("unplug");
    Machine machine = existingMachine(p.positional[0]);
    MachineEditor(machine).unplug(p.positional[1]);
    return 0;
}

int SimCommandLine::image(const std::vector<std::string>& args) {
    auto p = parse(args, {"--volume", "--size"});
    if (!p.error.empty() || p.positional.size() != 1 || !p.option("--volume")) return usage("image");
    std::int64_t size = 104857600;
    if (auto text = p.option("--size")) {
        auto value = parseInteger(*text);
        if (!value || *value <= 0) return fail("not a size in bytes: " + *text);
        size = *value;
    }
    Machine machine = existingMachine(p.positional[0]);
    out_ << MachineEditor(machine).attachImage(*p.option("--volume"), size) << "\n";
    return 0;
}

int SimCommandLine::mountVerb(const std::vector<std::string>& args, bool mount) {
    auto p = parse(args, {});
    if (!p.error.empty() || p.positional.size() != 2) return usage(mount ? "mount" : "unmount");
    Machine machine = existingMachine(p.positional[0]);
    if (mount) {
        out_ << MachineEditor(machine).mount(p.positional[1]) << "\n";
    } else {
        MachineEditor(machine).unmount(p.positional[1]);
    }
    return 0;
}

int SimCommandLine::log(const std::vector<std::string>& args) {
    auto p = parse(args, {"--process"});
    if (!p.error.empty() || p.positional.size() != 2) return usage("log");
    Machine machine = existingMachine(p.positional[0]);
    MachineEditor(machine).appendLog(p.positional[1], p.option("--process").value_or("kernel"));
    return 0;
}

int SimCommandLine::app(const std::vector<std::string>& args) {
    if (args.empty()) return usage("app");
    std::vector<std::string> rest(args.begin() + 1, args.end());
    if (args[0] == "start") {
        auto p = parse(rest, {"--name", "--bundle-id", "--cpu", "--path", "--cwd", "--policy", "--launched"});
        if (!p.error.empty() || p.positional.size() != 1 || !p.option("--name") || !p.option("--bundle-id")) {
            return usage("app");
        }
        AppStartOptions options;
        options.name = *p.option("--name");
        options.bundleIdentifier = *p.option("--bundle-id");
        options.bundlePath = p.option("--path");
        options.workingDirectory = p.option("--cwd");
        if (auto text = p.option("--cpu")) {
            auto value = parseNumber(*text);
            if (!value || *value < 0) return fail("not a CPU percentage: " + *text);
            options.cpu = *value;
        }
        if (auto policy = p.option("--policy")) {
            static const std::map<std::string, int> policies = {{"regular", 0}, {"accessory", 1}, {"prohibited", 2}};
            auto found = policies.find(*policy);
            if (found == policies.end()) return usage("app");
            options.activationPolicy = found->second;
        }
        if (auto text = p.option("--launched")) {
            auto value = parseNumber(*text);
            if (!value || *value < 0) return fail("not a number of seconds: " + *text);
            options.launchedSecondsAgo = *value;
        }
        Machine machine = existingMachine(p.positional[0]);
        out_ << MachineEditor(machine).startApplication(options) << "\n";
        return 0;
    }
    if (args[0] == "stop") {
        auto p = parse(rest, {});
        if (!p.error.empty() || p.positional.size() != 2) return usage("app");
        Machine machine = existingMachine(p.positional[0]);
        if (!MachineEditor(machine).stopApplication(p.positional[1])) return fail("no running application " + p.positional[1]);
        return 0;
    }
    return usage("app");
}

int SimCommandLine::bundle(const std::vector<std::string>& args) {
    auto p = parse(args, {"--under"});
    if (!p.error.empty() || p.positional.size() != 3) return usage("bundle");
    Machine machine = existingMachine(p.positional[0]);
    out_ << VolumeContents(machine).addBundle(p.positional[1], p.positional[2], p.option("--under").value_or("")) << "\n";
    return 0;
}

int SimCommandLine::linkLoop(const std::vector<std::string>& args) {
    auto p = parse(args, {"--under"});
    if (!p.error.empty() || p.positional.size() != 2) return usage("link-loop");
    Machine machine = existingMachine(p.positional[0]);
    out_ << VolumeContents(machine).addLinkLoop(p.positional[1], p.option("--under").value_or("")) << "\n";
    return 0;
}

int SimCommandLine::fault(const std::vector<std::string>& args) {
    auto p = parse(args, {});
    if (!p.error.empty() || p.positional.size() < 3) return usage("fault");
    const std::string& kind = p.positional[2];
    if (kind == "slow") {
        if (p.positional.size() != 4) return usage("fault");
        const auto seconds = parseNumber(p.positional[3]);
        if (!seconds || !(*seconds > 0 && *seconds <= MachineEditor::maximumSlowSeconds)) {
            return fail("not a delay in seconds: " + p.positional[3]);
        }
        Machine machine = existingMachine(p.positional[0]);
        MachineEditor(machine).setToolSlow(p.positional[1], *seconds);
        return 0;
    }
    if (p.positional.size() != 3) return usage("fault");
    std::optional<ToolFault> fault = kind == "clear" ? std::optional<ToolFault>(ToolFault::none) : toolFaultFromName(kind);
    if (!fault || (kind == "none")) return usage("fault");
    Machine machine = existingMachine(p.positional[0]);
    MachineEditor(machine).setToolFault(p.positional[1], *fault);
    return 0;
}

int SimCommandLine::usbFault(const std::vector<std::string>& args) {
    auto p = parse(args, {});
    if (!p.error.empty() || p.positional.size() != 3) return usage("usb-fault");
    const std::string& kind = p.positional[2];
    UsbFault fault;
    if (kind == "timeout") {
        fault = UsbFault::timeout;
    } else if (kind == "error") {
        fault = UsbFault::error;
    } else if (kind == "clear") {
        fault = UsbFault::clear;
    } else {
        return usage("usb-fault");
    }
    Machine machine = existingMachine(p.positional[0]);
    MachineEditor(machine).setUsbFault(p.positional[1], fault);
    return 0;
}

int SimCommandLine::enumerationFailure(const std::vector<std::string>& args) {
    auto p = parse(args, {"--count", "--name"});
    if (!p.error.empty() || p.positional.size() != 1) return usage("enumeration-failure");
    long long count = 1;
    if (auto text = p.option("--count")) {
        auto value = parseInteger(*text);
        if (!value || *value < 1 || *value > 10000) return fail("not a count: " + *text);
        count = *value;
    }
    Machine machine = existingMachine(p.positional[0]);
    MachineEditor(machine).addEnumerationFailures(static_cast<int>(count), p.option("--name").value_or(""));
    return 0;
}

int SimCommandLine::vanish(const std::vector<std::string>& args) {
    auto p = parse(args, {}, {"--clear"});
    if (!p.error.empty() || p.positional.size() != 2) return usage("vanish");
    Machine machine = existingMachine(p.positional[0]);
    MachineEditor(machine).setVanishesOnInfo(p.positional[1], !p.flags.count("--clear"));
    return 0;
}

int SimCommandLine::privilege(const std::vector<std::string>& args) {
    auto p = parse(args, {});
    if (!p.error.empty() || p.positional.size() != 2) return usage("privilege");
    const std::string& level = p.positional[1];
    if (level != "admin" && level != "standard") return usage("privilege");
    Machine machine = existingMachine(p.positional[0]);
    machine.update([&](MachineState& s) { s.userIsAdmin = level == "admin"; });
    return 0;
}

int SimCommandLine::automation(const std::vector<std::string>& args) {
    auto p = parse(args, {});
    if (!p.error.empty() || p.positional.size() != 2) return usage("automation");
    const std::string& answer = p.positional[1];
    if (answer != "allow" && answer != "deny") return usage("automation");
    Machine machine = existingMachine(p.positional[0]);
    machine.update([&](MachineState& s) { s.automationAllowed = answer == "allow"; });
    return 0;
}

int SimCommandLine::notifications(const std::vector<std::string>& args) {
    auto p = parse(args, {});
    if (!p.error.empty() || p.positional.size() != 3) return usage("notifications");
    const std::string& what = p.positional[1];
    const std::string& value = p.positional[2];
    if (what == "authorization") {
        static const std::set<std::string> statuses = {"notDetermined", "denied", "authorized", "provisional", "ephemeral"};
        if (!statuses.count(value)) return usage("notifications");
        Machine machine = existingMachine(p.positional[0]);
        machine.update([&](MachineState& s) { s.notificationAuthorization = value; });
        return 0;
    }
    if (what == "request" && (value == "grant" || value == "deny")) {
        Machine machine = existingMachine(p.positional[0]);
        machine.update([&](MachineState& s) { s.notificationRequestGranted = value == "grant"; });
        return 0;
    }
    return usage("notifications");
}

int SimCommandLine::alerts(const std::vector<std::string>& args) {
    auto p = parse(args, {});
    if (!p.error.empty() || p.positional.size() != 3 || p.positional[1] != "answer") return usage("alerts");
    const auto number = parseInteger(p.positional[2]);
    if (!number || *number < 1 || *number > 1000) return usage("alerts");
    Machine machine = existingMachine(p.positional[0]);
    machine.update([&](MachineState& s) { s.alertAnswer = static_cast<int>(*number); });
    return 0;
}

int SimCommandLine::journal(const std::vector<std::string>& args) {
    auto p = parse(args, {}, {"--clear"});
    if (!p.error.empty() || p.positional.size() != 1) return usage("journal");
    Machine machine = existingMachine(p.positional[0]);
    if (p.flags.count("--clear")) {
        machine.clearJournal();
        return 0;
    }
    for (const auto& entry : machine.journal()) {
        std::string line;
        for (const auto& arg : entry.argv) {
            if (!line.empty()) line += ' ';
            line += displayArgument(arg);
        }
        out_ << line << "\n";
    }
    return 0;
}

int SimCommandLine::show(const std::vector<std::string>& args) {
    auto p = parse(args, {});
    if (!p.error.empty() || p.positional.size() != 2) return usage("show");
    const std::string& what = p.positional[1];
    static const std::set<std::string> parts = {"disks", "usb", "processes", "log", "notifications",
                                                "assertions", "login-items", "urls", "alerts", "launch-services"};
    if (!parts.count(what)) return usage("show");
    MachineState s = existingMachine(p.positional[0]).read();
    if (what == "disks") {
        for (const auto& d : s.disks) {
            out_ << d.identifier << "  " << d.mediaName << "  " << d.protocol << ", "
                 << (d.internal ? "internal" : "external") << (d.synthesized ? ", synthesized" : "") << ", " << d.size
                 << " bytes" << (d.usbDevice.empty() ? "" : ", behind " + d.usbDevice)
                 << (d.vanishesOnInfo ? ", vanishes on info" : "") << "\n";
            for (const auto& v : d.volumes) {
                out_ << "  " << v.identifier << "  " << (v.volumeName.empty() ? "(no name)" : v.volumeName) << "  "
                     << (v.fileSystemName.empty() ? v.content : v.fileSystemName) << "  "
                     << (v.mountPoint ? "mounted at " + *v.mountPoint : std::string("not mounted")) << "\n";
            }
        }
    } else if (what == "usb") {
        for (const auto& u : s.usbDevices) {
            char ids[64];
            std::snprintf(ids, sizeof ids, "0x%04x:0x%04x", u.vendorId, u.productId);
            out_ << u.key << "  " << u.productName << "  " << u.vendorName << "  " << ids << "  address "
                 << u.address << "  power state " << u.currentPowerState;
            for (const auto& extra : u.extraProperties) out_ << "  [" << extra << "]";
            out_ << "\n";
        }
    } else if (what == "processes") {
        for (const auto& pr : s.processes) {
            out_ << pr.pid << "  " << pr.name << "  " << pr.cpu << "%";
            if (pr.bundleIdentifier) out_ << "  " << *pr.bundleIdentifier;
            if (pr.isApplication) {
                static const char* const policies[] = {"regular", "accessory", "prohibited"};
                const bool known = pr.activationPolicy >= 0 && pr.activationPolicy <= 2;
                out_ << "  application, " << (known ? policies[pr.activationPolicy] : "unknown policy");
                if (pr.workingDirectory) out_ << ", in " << *pr.workingDirectory;
            }
            out_ << "\n";
        }
    } else if (what == "log") {
        for (const auto& e : s.log) out_ << timeText(e.time) << "  " << e.process << "[" << e.pid << "]  " << e.message << "\n";
    } else if (what == "notifications") {
        out_ << "authorization: " << s.notificationAuthorization << "\n";
        out_ << "permission request answer: " << (s.notificationRequestGranted ? "grant" : "deny") << "\n";
        for (const auto& n : s.notifications) {
            out_ << timeText(n.time) << "  " << n.title << "  " << n.body << "  (" << n.identifier << ")\n";
        }
    } else if (what == "assertions") {
        for (const auto& a : s.assertions) {
            char id[32];
            std::snprintf(id, sizeof id, "0x%x", a.id);
            out_ << id << "  " << a.type << "  level " << a.level << "  pid " << a.pid << "  " << a.name << "\n";
        }
    } else if (what == "login-items") {
        for (const auto& l : s.loginItems) out_ << l.name << "  " << l.path << (l.hidden ? "  hidden" : "") << "\n";
    } else if (what == "urls") {
        for (const auto& u : s.openedURLs) out_ << u << "\n";
    } else if (what == "alerts") {
        out_ << "answer: button " << s.alertAnswer << "\n";
        for (const auto& a : s.alerts) {
            out_ << timeText(a.time) << "  " << a.messageText << "\n";
            std::string informative = a.informativeText;
            for (std::size_t at = 0; (at = informative.find('\n', at)) != std::string::npos; at += 5) {
                informative.replace(at, 1, "\n    ");
            }
            out_ << "    " << informative << "\n";
            for (std::size_t i = 0; i < a.buttons.size(); ++i) {
                out_ << "  [" << (i + 1) << "] " << a.buttons[i]
                     << (static_cast<int>(i + 1) == a.chosen ? "  <- chosen" : "") << "\n";
            }
        }
    } else if (what == "launch-services") {
        for (const auto& e : s.launchServices) out_ << timeText(e.time) << "  " << e.kind << "  " << displayArgument(e.detail) << "\n";
    }
    return 0;
}

int SimCommandLine::state(const std::vector<std::string>& args) {
    auto p = parse(args, {});
    if (!p.error.empty() || p.positional.size() != 1) return usage("state");
    out_ << stateToText(existingMachine(p.positional[0]).read());
    return 0;
}

}  // namespace velmora::sim
