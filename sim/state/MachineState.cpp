#include "sim/state/MachineState.h"

#include <nlohmann/json.hpp>

// The state file is meant to be read by people as well as tools: plain keys,
// every field written, and reading tolerates a missing field (its default) so a
// hand-written scenario only has to say what matters to it.
namespace velmora::sim {

using nlohmann::json;

namespace {

template <typename T>
void readField(const json& j, const char* key, T& into) {
    auto it = j.find(key);
    if (it != j.end() && !it->is_null()) into = it->template get<T>();
}

template <typename T>
void readOptional(const json& j, const char* key, std::optional<T>& into) {
    auto it = j.find(key);
    if (it == j.end() || it->is_null()) {
        into.reset();
    } else {
        into = it->template get<T>();
    }
}

template <typename T>
json optionalJson(const std::optional<T>& value) {
    return value ? json(*value) : json(nullptr);
}

}  // namespace

void to_json(json& j, const Volume& v) {
    j = json{{"identifier", v.identifier},
             {"volumeName", v.volumeName},
             {"content", v.content},
             {"fileSystemName", v.fileSystemName},
             {"fileSystemType", v.fileSystemType},
             {"size", v.size},
             {"mountPoint", optionalJson(v.mountPoint)},
             {"journaled", v.journaled},
             {"ownersEnabled", v.ownersEnabled},
             {"spotlightIndexing", v.spotlightIndexing},
             {"quarantined", v.quarantined},
             {"mountOptions", v.mountOptions}};
}

void from_json(const json& j, Volume& v) {
    readField(j, "identifier", v.identifier);
    readField(j, "volumeName", v.volumeName);
    readField(j, "content", v.content);
    readField(j, "fileSystemName", v.fileSystemName);
    readField(j, "fileSystemType", v.fileSystemType);
    readField(j, "size", v.size);
    readOptional(j, "mountPoint", v.mountPoint);
    readField(j, "journaled", v.journaled);
    readField(j, "ownersEnabled", v.ownersEnabled);
    readField(j, "spotlightIndexing", v.spotlightIndexing);
    readField(j, "quarantined", v.quarantined);
    readField(j, "mountOptions", v.mountOptions);
}

void to_json(json& j, const Disk& d) {
    j = json{{"identifier", d.identifier},
             {"mediaName", d.mediaName},
             {"size", d.size},
             {"internal", d.internal},
             {"removable", d.removable},
             {"ejectable", d.ejectable},
             {"protocol", d.protocol},
             {"busProtocol", d.busProtocol},
             {"virtualOrPhysical", d.virtualOrPhysical},
             {"content", d.content},
             {"synthesized", d.synthesized},
             {"volumes", d.volumes},
             {"usbDevice", d.usbDevice},
             {"vanishesOnInfo", d.vanishesOnInfo}};
}

void from_json(const json& j, Disk& d) {
    readField(j, "identifier", d.identifier);
    readField(j, "mediaName", d.mediaName);
    readField(j, "size", d.size);
    readField(j, "internal", d.internal);
    readField(j, "removable", d.removable);
    readField(j, "ejectable", d.ejectable);
    readField(j, "protocol", d.protocol);
    d.busProtocol = d.protocol;
    readField(j, "busProtocol", d.busProtocol);
    readField(j, "virtualOrPhysical", d.virtualOrPhysical);
    readField(j, "content", d.content);
    readField(j, "synthesized", d.synthesized);
    readField(j, "volumes", d.volumes);
    readField(j, "usbDevice", d.usbDevice);
    readField(j, "vanishesOnInfo", d.vanishesOnInfo);
}

void to_json(json& j, const UsbDevice& u) {
    j = json{{"key", u.key},
             {"productName", u.productName},
             {"vendorName", u.vendorName},
             {"vendorId", u.vendorId},
             {"productId", u.productId},
             {"locationId", u.locationId},
             {"address", u.address},
             {"currentPowerState", u.currentPowerState},
             {"speed", u.speed},
             {"bridge", u.bridge},
             {"serialNumber", u.serialNumber},
             {"extraProperties", u.extraProperties}};
}

void from_json(const json& j, UsbDevice& u) {
    readField(j, "key", u.key);
    readField(j, "productName", u.productName);
    readField(j, "vendorName", u.vendorName);
    readField(j, "vendorId", u.vendorId);
    readField(j, "productId", u.productId);
    readField(j, "locationId", u.locationId);
    readField(j, "address", u.address);
    readField(j, "currentPowerState", u.currentPowerState);
    readField(j, "speed", u.speed);
    readField(j, "bridge", u.bridge);
    readField(j, "serialNumber", u.serialNumber);
    readField(j, "extraProperties", u.extraProperties);
}

void to_json(json& j, const LogEntry& e) {
    j = json{{"time", e.time}, {"process", e.process}, {"pid", e.pid}, {"message", e.message}};
}

void from_json(const json& j, LogEntry& e) {
    readField(j, "time", e.time);
    readField(j, "process", e.process);
    readField(j, "pid", e.pid);
    readField(j, "message", e.message);
}

void to_json(json& j, const ProcessEntry& p) {
    j = json{{"pid", p.pid},
             {"command", p.command},
             {"name", p.name},
             {"cpu", p.cpu},
             {"memoryMB", p.memoryMB},
             {"isApplication", p.isApplication},
             {"bundleIdentifier", optionalJson(p.bundleIdentifier)},
             {"localizedName", optionalJson(p.localizedName)},
             {"bundlePath", optionalJson(p.bundlePath)},
             {"activationPolicy", p.activationPolicy},
             {"launchTime", optionalJson(p.launchTime)},
             {"workingDirectory", optionalJson(p.workingDirectory)}};
}

void from_json(const json& j, ProcessEntry& p) {
    readField(j, "pid", p.pid);
    readField(j, "command", p.command);
    readField(j, "name", p.name);
    readField(j, "cpu", p.cpu);
    readField(j, "memoryMB", p.memoryMB);
    readField(j, "isApplication", p.isApplication);
    readOptional(j, "bundleIdentifier", p.bundleIdentifier);
    readOptional(j, "localizedName", p.localizedName);
    readOptional(j, "bundlePath", p.bundlePath);
    readField(j, "activationPolicy", p.activationPolicy);
    readOptional(j, "launchTime", p.launchTime);
    readOptional(j, "workingDirectory", p.workingDirectory);
}

void to_json(json& j, const Assertion& a) {
    j = json{{"id", a.id}, {"type", a.type}, {"name", a.name}, {"level", a.level}, {"pid", a.pid}, {"created", a.created}};
}

void from_json(const json& j, Assertion& a) {
    readField(j, "id", a.id);
    readField(j, "type", a.type);
    readField(j, "name", a.name);
    readField(j, "level", a.level);
    readField(j, "pid", a.pid);
    readField(j, "created", a.created);
}

void to_json(json& j, const LoginItem& l) {
    j = json{{"name", l.name}, {"path", l.path}, {"hidden", l.hidden}};
}

void from_json(const json& j, LoginItem& l) {
    readField(j, "name", l.name);
    readField(j, "path", l.path);
    readField(j, "hidden", l.hidden);
}

void to_json(json& j, const DeliveredNotification& n) {
    j = json{{"identifier", n.identifier}, {"title", n.title}, {"body", n.body}, {"time", n.time}};
}

void from_json(const json& j, DeliveredNotification& n) {
    readField(j, "identifier", n.identifier);
    readField(j, "title", n.title);
    readField(j, "body", n.body);
    readField(j, "time", n.time);
}

void to_json(json& j, const ShownAlert& a) {
    j = json{{"messageText", a.messageText},
             {"informativeText", a.informativeText},
             {"buttons", a.buttons},
             {"chosen", a.chosen},
             {"time", a.time}};
}

void from_json(const json& j, ShownAlert& a) {
    readField(j, "messageText", a.messageText);
    readField(j, "informativeText", a.informativeText);
    readField(j, "buttons", a.buttons);
    readField(j, "chosen", a.chosen);
    readField(j, "time", a.time);
}

void to_json(json& j, const LaunchServicesEvent& e) {
    j = json{{"time", e.time}, {"kind", e.kind}, {"detail", e.detail}};
}

void from_json(const json& j, LaunchServicesEvent& e) {
    readField(j, "time", e.time);
    readField(j, "kind", e.kind);
    readField(j, "detail", e.detail);
}

std::string toolFaultName(ToolFault f) {
    switch (f) {
        case ToolFault::none: return "none";
        case ToolFault::hang: return "hang";
        case ToolFault::missing: return "missing";
        case ToolFault::fail: return "fail";
        case ToolFault::garble: return "garble";
        case ToolFault::truncate: return "truncate";
        case ToolFault::nonUTF8: return "nonUTF8";
        case ToolFault::huge: return "huge";
        case ToolFault::slow: return "slow";
    }
    return "none";
}

std::optional<ToolFault> toolFaultFromName(const std::string& name) {
    for (ToolFault f : {ToolFault::none, ToolFault::hang, ToolFault::missing, ToolFault::fail, ToolFault::garble,
                        ToolFault::truncate, ToolFault::nonUTF8, ToolFault::huge, ToolFault::slow}) {
        if (toolFaultName(f) == name) return f;
    }
    return std::nullopt;
}

void to_json(json& j, const MachineState& s) {
    json faults = json::object();
    for (const auto& [tool, fault] : s.toolFaults) {
        if (fault != ToolFault::none) faults[tool] = toolFaultName(fault);
    }
    j = json{{"disks", s.disks},
             {"usbDevices", s.usbDevices},
             {"log", s.log},
             {"processes", s.processes},
             {"pmset", s.pmset},
             {"sysctl", s.sysctl},
             {"loadedKexts", s.loadedKexts},
             {"loginItems", s.loginItems},
             {"notificationAuthorization", s.notificationAuthorization},
             {"notificationRequestGranted", s.notificationRequestGranted},
             {"notifications", s.notifications},
             {"assertions", s.assertions},
             {"openedURLs", s.openedURLs},
             {"alerts", s.alerts},
             {"alertAnswer", s.alertAnswer},
             {"launchServices", s.launchServices},
             {"userIsAdmin", s.userIsAdmin},
             {"automationAllowed", s.automationAllowed},
             {"toolFaults", faults},
             {"toolSlowSeconds", s.toolSlowSeconds},
             {"nextDiskNumber", s.nextDiskNumber},
             {"nextPid", s.nextPid},
             {"nextAssertionId", s.nextAssertionId},
             {"nextUsbAddress", s.nextUsbAddress}};
}

void from_json(const json& j, MachineState& s) {
    readField(j, "disks", s.disks);
    readField(j, "usbDevices", s.usbDevices);
    readField(j, "log", s.log);
    readField(j, "processes", s.processes);
    readField(j, "pmset", s.pmset);
    readField(j, "sysctl", s.sysctl);
    readField(j, "loadedKexts", s.loadedKexts);
    readField(j, "loginItems", s.loginItems);
    readField(j, "notificationAuthorization", s.notificationAuthorization);
    readField(j, "notificationRequestGranted", s.notificationRequestGranted);
    readField(j, "notifications", s.notifications);
    readField(j, "assertions", s.assertions);
    readField(j, "openedURLs", s.openedURLs);
    readField(j, "alerts", s.alerts);
    readField(j, "alertAnswer", s.alertAnswer);
    readField(j, "launchServices", s.launchServices);
    readField(j, "userIsAdmin", s.userIsAdmin);
    readField(j, "automationAllowed", s.automationAllowed);
    s.toolFaults.clear();
    if (auto it = j.find("toolFaults"); it != j.end() && it->is_object()) {
        for (const auto& [tool, value] : it->items()) {
            if (!value.is_string()) continue;
            if (auto fault = toolFaultFromName(value.get<std::string>()); fault && *fault != ToolFault::none) {
                s.toolFaults[tool] = *fault;
            }
        }
    }
    readField(j, "toolSlowSeconds", s.toolSlowSeconds);
    readField(j, "nextDiskNumber", s.nextDiskNumber);
    readField(j, "nextPid", s.nextPid);
    readField(j, "nextAssertionId", s.nextAssertionId);
    readField(j, "nextUsbAddress", s.nextUsbAddress);
}

}  // namespace velmora::sim

namespace velmora::sim {

std::string stateToText(const MachineState& state) {
    // Replace rather than throw on bytes that are not UTF-8: a name with such
    // bytes must not make the whole machine unwritable.
    return nlohmann::json(state).dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

MachineState stateFromText(const std::string& text) {
    try {
        auto j = nlohmann::json::parse(text);
        if (!j.is_object()) throw MachineError("the state is not a JSON object");
        return j.get<MachineState>();
    } catch (const nlohmann::json::exception& e) {
        throw MachineError(std::string("unreadable machine state: ") + e.what());
    }
}

}  // namespace velmora::sim
