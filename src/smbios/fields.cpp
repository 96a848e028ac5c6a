#include "smbios/fields.h"

#include <cstring>

#include "smbios/field_tables.h"
#include "smbios/names.h"

namespace tarnlix {

namespace {

// In structure type order: the order of the JSON document. The structures
// of every type the standard does not define come last, in one group.
const StructureGroup kGroups[] = {
    {"/BIOS", 0, true, &kBiosFields, "BIOS", nullptr},
    {"/PC", 1, true, &kSystemFields, "system", nullptr},
    {"/BOARD", 2, true, &kBoardFields, "baseboard", nullptr},
    {"/ENCLOSURE", 3, true, &kEnclosureFields, "enclosure (chassis)", nullptr},
    {"/PROCESSOR", 4, true, &kProcessorFields, "processor", nullptr},
    {"/MEMCTRL", 5, true, &kMemoryControllerFields, "memory controller (obsolete)",
     "Memory Controller Information"},
    {"/MEMMODULE", 6, true, &kMemoryModuleFields, "memory module (obsolete)",
     "Memory Module Information"},
    {"/CACHE", 7, true, &kCacheFields, "cache", nullptr},
    {"/PORT", 8, true, &kPortFields, "port connector", nullptr},
    {"/SLOT", 9, true, &kSlotFields, "system slot", nullptr},
    {"/DEVICE", 10, true, &kDeviceFields, "on-board devices (obsolete)", nullptr},
    {"/OEM", 11, true, &kOemFields, "OEM strings", nullptr},
    {"/SYSCONFIG", 12, true, &kConfigFields, "system configuration options",
     "System Configuration Options"},
    {"/LANGUAGE", 13, true, &kLanguageFields, "BIOS languages", "BIOS Language Information"},
    {"/GROUPASSOC", 14, true, &kGroupFields, "group association", "Group Associations"},
    {"/EVENTLOG", 15, true, &kEventLogFields, "system event log", "System Event Log"},
    {"/MEMARRAY", 16, true, &kMemoryArrayFields, "physical memory array", nullptr},
    {"/MEM", 17, true, &kMemoryDeviceFields, "memory device", nullptr},
    {"/MEMERROR", 18, true, &kMemoryErrorFields, "32-bit memory error",
     "32-bit Memory Error Information"},
    {"/MEMMAP", 19, true, &kMemoryMapFields, "memory array mapped address", nullptr},
    {"/MEMDEVMAP", 20, true, &kMemoryDeviceMapFields, "memory device mapped address", nullptr},
    {"/POINTING", 21, true, &kPointingFields, "built-in pointing device",
     "Built-in Pointing Device"},
    {"/BATTERY", 22, true, &kBatteryFields, "portable battery", nullptr},
    {"/RESET", 23, true, &kResetFields, "system reset", "System Reset"},
    {"/SECURITY", 24, true, &kSecurityFields, "hardware security", "Hardware Security"},
    {"/POWERCTRL", 25, true, &kPowerControlFields, "system power controls",
     "System Power Controls"},
    {"/VOLTPROBE", 26, true, &kVoltageProbeFields, "voltage probe", "Voltage Probe"},
    {"/COOLING", 27, true, &kCoolingFields, "cooling device", "Cooling Device"},
    {"/TEMPPROBE", 28, true, &kTemperatureProbeFields, "temperature probe", "Temperature Probe"},
    {"/CURRENTPROBE", 29, true, &kCurrentProbeFields, "electrical current probe",
     "Electrical Current Probe"},
    {"/REMOTEACCESS", 30, true, &kRemoteAccessFields, "out-of-band remote access",
     "Out-of-band Remote Access"},
    {"/BIS", 31, true, &kBisFields, "boot integrity services entry point",
     "Boot Integrity Services Entry Point"},
    {"/BOOT", 32, true, &kBootFields, "system boot", "System Boot Information"},
    {"/MEMERROR64", 33, true, &kMemoryError64Fields, "64-bit memory error",
     "64-bit Memory Error Information"},
    {"/MGMTDEVICE", 34, true, &kManagementDeviceFields, "management device", "Management Device"},
    {"/MGMTCOMPONENT", 35, true, &kManagementComponentFields, "management device component",
     "Management Device Component"},
    {"/MGMTTHRESHOLD", 36, true, &kManagementThresholdFields, "management device threshold data",
     "Management Device Threshold Data"},
    {"/MEMCHANNEL", 37, true, &kMemoryChannelFields, "memory channel", "Memory Channel"},
    {"/IPMI", 38, true, &kIpmiFields, "IPMI device", "IPMI Device Information"},
    {"/PSU", 39, true, &kPowerSupplyFields, "system power supply", "System Power Supply"},
    {"/ADDINFO", 40, true, &kAdditionalInfoFields, "additional information",
     "Additional Information"},
    {"/ONBOARD", 41, true, &kOnboardFields, "on-board device", "Onboard Device"},
    {"/HOSTIF", 42, true, &kHostInterfaceFields, "management controller host interface",
     "Management Controller Host Interface"},
    {"/TPM", 43, true, &kTpmFields, "TPM device", "TPM Device"},
    {"/PROCADDINFO", 44, true, &kProcessorInfoFields, "processor additional information",
     "Processor Additional Information"},
    {"/FIRMWARE", 45, true, &kFirmwareFields, "firmware inventory",
     "Firmware Inventory Information"},
    {"/STRINGPROP", 46, true, &kStringPropertyFields, "string property", "String Property"},
    {"/OTHER", kOtherTypes, true, &kOtherFields,
     "structure of a type the standard does not define (OEM types among them)", nullptr},
};

// The group of each type, worked out once.
struct GroupIndex {
  const StructureGroup* byType[257] = {};
  GroupIndex() {
    for (const StructureGroup& group : kGroups) byType[group.type] = &group;
    for (uint16_t type = 0; type < 256; ++type) {
      if (byType[type] == nullptr) byType[type] = byType[kOtherTypes];
    }
    byType[126] = byType[127] = nullptr;  // inactive, and the end of the table
  }
};

const GroupIndex& Index() {
  static const GroupIndex index;
  return index;
}

}  // namespace

const StructureGroup* StructureGroups() { return kGroups; }
size_t StructureGroupCount() { return std::size(kGroups); }

const StructureGroup* GroupOf(uint8_t type) { return Index().byType[type]; }

const StructureGroup* GroupOfType(uint16_t groupType) {
  if (groupType > kOtherTypes) return nullptr;
  const StructureGroup* group = Index().byType[groupType];
  return group != nullptr && group->type == groupType ? group : nullptr;
}

const char* TypeHeading(uint8_t type) {
  // The earlier reports' names where they have one.
  if (type < kTypeNameCount && std::strcmp(TypeNameTable[type], "Undefined") != 0) {
    return TypeNameTable[type];
  }
  const StructureGroup* group = GroupOf(type);
  if (group != nullptr && group->title != nullptr) return group->title;
  return type >= 128 ? "OEM-specific Type" : "Undefined";
}

}  // namespace tarnlix
