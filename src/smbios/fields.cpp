#include "smbios/fields.h"

#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

// In structure type order: the order of the JSON document.
const StructureGroup kGroups[] = {
    {"/BIOS", 0, true, &kBiosFields, "BIOS"},
    {"/PC", 1, true, &kSystemFields, "system"},
    {"/BOARD", 2, true, &kBoardFields, "baseboard"},
    {"/ENCLOSURE", 3, true, &kEnclosureFields, "enclosure (chassis)"},
    {"/PROCESSOR", 4, true, &kProcessorFields, "processor"},
    {"/CACHE", 7, true, &kCacheFields, "cache"},
    {"/PORT", 8, true, &kPortFields, "port connector"},
    {"/SLOT", 9, true, &kSlotFields, "system slot"},
    {"/DEVICE", 10, false, &kDeviceFields, "on-board device (obsolete)"},
    {"/OEM", 11, true, &kOemFields, "OEM strings"},
    {"/MEMARRAY", 16, true, &kMemoryArrayFields, "physical memory array"},
    {"/MEM", 17, true, &kMemoryDeviceFields, "memory device"},
    {"/MEMMAP", 19, true, &kMemoryMapFields, "memory array mapped address"},
    {"/MEMDEVMAP", 20, true, &kMemoryDeviceMapFields, "memory device mapped address"},
    {"/BATTERY", 22, true, &kBatteryFields, "portable battery"},
};

}  // namespace

const StructureGroup* StructureGroups() { return kGroups; }
size_t StructureGroupCount() { return std::size(kGroups); }

const StructureGroup* GroupOf(uint8_t type) {
  for (const StructureGroup& group : kGroups) {
    if (group.type == type) return &group;
  }
  return nullptr;
}

}  // namespace tarnlix
