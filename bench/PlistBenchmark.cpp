// Cost of reading one disk's `diskutil info -plist` output the way the disk
// listing does: parse, then look up the keys a disk record is built from.
// The input is a real USB-SATA adapter's output (about 2 KB); a scan reads one
// such document per whole disk every five seconds.
#include <benchmark/benchmark.h>

#include <string>
#include <string_view>

#include "foundation/plist/PlistValue.h"

namespace {

constexpr std::string_view kDiskInfo = R"sample(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
	<key>Bootable</key>
	<false/>
	<key>BusProtocol</key>
	<string>USB</string>
	<key>CanBeMadeBootable</key>
	<false/>
	<key>CanBeMadeBootableRequiresDestroy</key>
	<false/>
	<key>Content</key>
	<string>FDisk_partition_scheme</string>
	<key>DeviceBlockSize</key>
	<integer>512</integer>
	<key>DeviceIdentifier</key>
	<string>disk2</string>
	<key>DeviceNode</key>
	<string>/dev/disk2</string>
	<key>DeviceTreePath</key>
	<string>IODeviceTree:/PCI0@0/XHC1@14</string>
	<key>Ejectable</key>
	<true/>
	<key>EjectableMediaAutomaticUnderSoftwareControl</key>
	<false/>
	<key>EjectableOnly</key>
	<false/>
	<key>FreeSpace</key>
	<integer>0</integer>
	<key>GlobalPermissionsEnabled</key>
	<false/>
	<key>IOKitSize</key>
	<integer>128035676160</integer>
	<key>IORegistryEntryName</key>
	<string>SAMSUNG SSD PM830 mSATA Media</string>
	<key>Internal</key>
	<false/>
	<key>LowLevelFormatSupported</key>
	<false/>
	<key>MediaName</key>
	<string>SSD PM830 mSATA</string>
	<key>MediaType</key>
	<string>Generic</string>
	<key>MountPoint</key>
	<string></string>
	<key>OS9DriversInstalled</key>
	<false/>
	<key>OSInternalMedia</key>
	<false/>
	<key>ParentWholeDisk</key>
	<string>disk2</string>
	<key>PartitionMapPartition</key>
	<false/>
	<key>RAIDMaster</key>
	<false/>
	<key>RAIDSlice</key>
	<false/>
	<key>Removable</key>
	<false/>
	<key>RemovableMedia</key>
	<false/>
	<key>RemovableMediaOrExternalDevice</key>
	<true/>
	<key>SMARTDeviceSpecificKeysMayVaryNotGuaranteed</key>
	<dict/>
	<key>SMARTStatus</key>
	<string>Not Supported</string>
	<key>Size</key>
	<integer>128035676160</integer>
	<key>SupportsGlobalPermissionsDisable</key>
	<false/>
	<key>SystemImage</key>
	<false/>
	<key>TotalSize</key>
	<integer>128035676160</integer>
	<key>VirtualOrPhysical</key>
	<string>Physical</string>
	<key>VolumeName</key>
	<string></string>
	<key>VolumeSize</key>
	<integer>0</integer>
	<key>WholeDisk</key>
	<true/>
	<key>Writable</key>
	<true/>
	<key>WritableMedia</key>
	<true/>
	<key>WritableVolume</key>
	<false/>
</dict>
</plist>
)sample";

void readDiskRecord(const velmora::PlistValue& info, benchmark::State& state) {
    auto name = info.string("MediaName");
    auto volume = info.string("VolumeName");
    auto node = info.string("DeviceNode");
    auto size = info.integer("TotalSize");
    auto removable = info.boolean("Removable");
    auto internal = info.boolean("Internal");
    auto mountPoint = info.string("MountPoint");
    auto fileSystem = info.string("FilesystemName");
    auto protocol = info.string("Protocol");
    auto bus = info.string("BusProtocol");
    benchmark::DoNotOptimize(name);
    benchmark::DoNotOptimize(volume);
    benchmark::DoNotOptimize(node);
    benchmark::DoNotOptimize(size);
    benchmark::DoNotOptimize(removable);
    benchmark::DoNotOptimize(internal);
    benchmark::DoNotOptimize(mountPoint);
    benchmark::DoNotOptimize(fileSystem);
    benchmark::DoNotOptimize(protocol);
    benchmark::DoNotOptimize(bus);
    if (!size) state.SkipWithError("TotalSize missing");
}

void BM_PlistParseDiskInfo(benchmark::State& state) {
    for (auto _ : state) {
        auto result = velmora::parsePlist(kDiskInfo);
        benchmark::DoNotOptimize(result);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(kDiskInfo.size()));
}
BENCHMARK(BM_PlistParseDiskInfo);

void BM_PlistParseAndReadDiskRecord(benchmark::State& state) {
    for (auto _ : state) {
        const auto result = velmora::parsePlist(kDiskInfo);
        if (!result.value) {
            state.SkipWithError("sample did not parse");
            break;
        }
        readDiskRecord(*result.value, state);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(kDiskInfo.size()));
}
BENCHMARK(BM_PlistParseAndReadDiskRecord);

void BM_PlistReadDiskRecordKeys(benchmark::State& state) {
    const auto result = velmora::parsePlist(kDiskInfo);
    if (!result.value) {
        state.SkipWithError("sample did not parse");
        return;
    }
    for (auto _ : state) readDiskRecord(*result.value, state);
}
BENCHMARK(BM_PlistReadDiskRecordKeys);

void BM_PlistWriteXml(benchmark::State& state) {
    const auto result = velmora::parsePlist(kDiskInfo);
    if (!result.value) {
        state.SkipWithError("sample did not parse");
        return;
    }
    for (auto _ : state) {
        auto xml = velmora::toXmlPlist(*result.value);
        benchmark::DoNotOptimize(xml);
    }
}
BENCHMARK(BM_PlistWriteXml);

}  // namespace
