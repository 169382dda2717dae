#pragma once
// The state of one simulated Mac. A machine is a folder DIR: DIR itself is the
// system root the program runs against (DIR/usr/sbin/diskutil, DIR/bin/sh, …),
// DIR/.velmora-sim/ holds the state file, its lock and the journal, and mounted
// volumes are real folders under DIR/Volumes/ so file-system work on a volume
// touches only the machine folder.
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

namespace velmora::sim {

// A partition or volume of a whole disk (for a disk without a partition map the
// single volume has the whole disk's identifier).
struct Volume {
    std::string identifier;                 // e.g. disk4s1
    std::string volumeName;                 // may be empty
    std::string content;                    // partition type, e.g. "Apple_APFS", "Microsoft Basic Data", "EFI"
    std::string fileSystemName;             // "APFS", "ExFAT", "MS-DOS FAT32", "Mac OS Extended (Journaled)", or ""
    std::string fileSystemType;             // "apfs", "exfat", "msdos", "hfs", or ""
    std::int64_t size = 0;
    std::optional<std::string> mountPoint;  // absolute real path inside the machine folder when mounted
    bool journaled = false;
    bool ownersEnabled = false;
    bool spotlightIndexing = false;
    bool quarantined = false;               // com.apple.quarantine on the mount point
    std::string mountOptions;               // last options applied by `mount -u -o`
};

struct Disk {
    std::string identifier;                 // whole disk, e.g. disk4
    std::string mediaName;
    std::int64_t size = 0;
    bool internal = false;
    bool removable = false;                 // "Removable" / "RemovableMedia"
    bool ejectable = false;
    std::string protocol;                   // "USB", "Apple Fabric", "PCI-Express", "Disk Image", "SATA"
    std::string busProtocol;                // usually equal to protocol
    std::string virtualOrPhysical = "Physical";  // "Physical", "Virtual", "Unknown"
    std::string content;                    // "GUID_partition_scheme", "FDisk_partition_scheme", ""
    bool synthesized = false;               // an APFS container disk
    std::vector<Volume> volumes;
    std::string usbDevice;                  // key of the USB device this disk sits behind, or ""
    // Faults
    bool vanishesOnInfo = false;            // listed by `diskutil list`, but `diskutil info` cannot find it
};

struct UsbDevice {
    std::string key;                        // stable key within the state, e.g. "usb-3"
    std::string productName;                // raw; shown by ioreg with "/" as "_"
    std::string vendorName;
    int vendorId = 0;
    int productId = 0;
    std::uint32_t locationId = 0;
    int address = 0;
    int currentPowerState = 2;
    int speed = 3;                          // ioreg "Device Speed": 1 full, 2 high, 3 super
    std::string bridge;                     // "RTL9210B-CG", "RTL9210", "ASM1153E", "JMS567", "" 
    std::string serialNumber;
    std::vector<std::string> extraProperties;  // fault: extra raw lines, e.g. "RTL9210 timeout" markers
};

struct LogEntry {
    double time = 0;                        // seconds since the Unix epoch
    std::string process = "kernel";
    int pid = 0;
    std::string message;
};

struct ProcessEntry {
    int pid = 0;
    std::string command;                    // executable path
    std::string name;                       // short name (COMMAND column of top)
    double cpu = 0;                         // percent
    double memoryMB = 0;
    bool isApplication = false;
    std::optional<std::string> bundleIdentifier;
    std::optional<std::string> localizedName;
    std::optional<std::string> bundlePath;
    int activationPolicy = 0;               // 0 regular, 1 accessory, 2 prohibited
    std::optional<double> launchTime;       // seconds since the Unix epoch
    std::optional<std::string> workingDirectory;  // absent: "/" as for anything launchd starts
};

// One run of lsregister that changed the Launch Services database.
struct LaunchServicesEvent {
    double time = 0;
    std::string kind;    // "register", "unregister" or "rebuild"
    std::string detail;  // the bundle path, or the rebuild's domains joined with ","
};

struct Assertion {
    std::uint32_t id = 0;
    std::string type;
    std::string name;
    int level = 255;
    int pid = 0;
    double created = 0;
};

struct LoginItem {
    std::string name;
    std::string path;
    bool hidden = false;
};

struct DeliveredNotification {
    std::string identifier;
    std::string title;
    std::string body;
    double time = 0;
};

// An alert the program showed and the button the machine answered with.
struct ShownAlert {
    std::string messageText;
    std::string informativeText;
    std::vector<std::string> buttons;
    int chosen = 1;                         // button number, counting from 1
    double time = 0;
};

// A machine folder that cannot be read or written (corrupt state file, no
// permission). Only the simulator's own code sees it; the in-process services
// turn it into the failure values of their interfaces.
class MachineError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A fault set on a tool by program name (e.g. "diskutil").
enum class ToolFault { none, hang, missing, fail, garble, truncate, nonUTF8, huge, slow };

struct MachineState {
    std::vector<Disk> disks;
    std::vector<UsbDevice> usbDevices;
    std::vector<LogEntry> log;
    std::vector<ProcessEntry> processes;
    std::map<std::string, std::string> pmset;      // setting → value
    std::map<std::string, std::string> sysctl;     // name → value
    std::set<std::string> loadedKexts;             // bundle identifiers
    std::vector<LoginItem> loginItems;
    std::string notificationAuthorization = "notDetermined";  // notDetermined, denied, authorized, provisional, ephemeral
    bool notificationRequestGranted = true;
    std::vector<DeliveredNotification> notifications;
    std::vector<Assertion> assertions;
    std::vector<std::string> openedURLs;
    std::vector<ShownAlert> alerts;
    int alertAnswer = 1;                           // button number to choose; past the last: the last
    std::vector<LaunchServicesEvent> launchServices;
    bool userIsAdmin = false;                      // standard user by default
    bool automationAllowed = true;                 // System Events automation permission
    std::map<std::string, ToolFault> toolFaults;
    std::map<std::string, double> toolSlowSeconds;  // how long a "slow" tool waits before it answers
    int nextDiskNumber = 4;
    int nextPid = 900;
    std::uint32_t nextAssertionId = 0x1000;
    int nextUsbAddress = 3;
};

void to_json(nlohmann::json& j, const MachineState& s);
void from_json(const nlohmann::json& j, MachineState& s);
// The parts on their own (a missing field reads as its default).
void to_json(nlohmann::json& j, const Volume& v);
void from_json(const nlohmann::json& j, Volume& v);
void to_json(nlohmann::json& j, const Disk& d);
void from_json(const nlohmann::json& j, Disk& d);
void to_json(nlohmann::json& j, const UsbDevice& u);
void from_json(const nlohmann::json& j, UsbDevice& u);
void to_json(nlohmann::json& j, const LogEntry& e);
void from_json(const nlohmann::json& j, LogEntry& e);
void to_json(nlohmann::json& j, const ProcessEntry& p);
void from_json(const nlohmann::json& j, ProcessEntry& p);
void to_json(nlohmann::json& j, const Assertion& a);
void from_json(const nlohmann::json& j, Assertion& a);
void to_json(nlohmann::json& j, const LoginItem& l);
void from_json(const nlohmann::json& j, LoginItem& l);
void to_json(nlohmann::json& j, const DeliveredNotification& n);
void from_json(const nlohmann::json& j, DeliveredNotification& n);
void to_json(nlohmann::json& j, const ShownAlert& a);
void from_json(const nlohmann::json& j, ShownAlert& a);
void to_json(nlohmann::json& j, const LaunchServicesEvent& e);
void from_json(const nlohmann::json& j, LaunchServicesEvent& e);

// The state as the readable text stored in the state file, and back. Parsing
// throws MachineError on text that is not a state.
std::string stateToText(const MachineState& state);
MachineState stateFromText(const std::string& text);

std::string toolFaultName(ToolFault f);
std::optional<ToolFault> toolFaultFromName(const std::string& name);

}  // namespace velmora::sim
