// What the files of field rows share: the row builders, and each file's
// rows, which fields.cpp gathers into the groups.
#pragma once

#include "smbios/fields.h"
#include "smbios/name_tables.h"

namespace tarnlix {

// A string slot of the record (the slots the earlier reports print).
constexpr FieldRow Slot(const char* selector, uint16_t type, uint8_t slot, const char* name) {
  return {.selector = selector, .type = type, .decode = FieldDecode::Slot, .at = slot, .name = name};
}
// Another spelling of a row, listed right after it.
constexpr FieldRow Alias(FieldRow row, const char* selector) {
  row.selector = selector;
  row.alias = true;
  return row;
}

// A voltage byte of a processor or a memory controller, as dmidecode writes
// it: with the top bit set, one voltage in tenths of a volt ("1.2 V"), else
// the voltages of bits 0-2, named by the row's table, separated by spaces.
bool VoltageCode(const FieldRow& row, const StructureView& s, FieldValue& value);

// What dmidecode writes in a list or a composed text for a code it has no
// name for: kept there so that the items that follow keep their places.
inline constexpr char kUnnamedCode[] = "<OUT OF SPEC>";

// Handles whose value says there is no error record.
inline constexpr CodeName kErrorHandleEntries[] = {{0xFFFE, ""}, {0xFFFF, "No Error"}};
inline constexpr NameTable kErrorHandleNames{kErrorHandleEntries, 2};

// The rows of each structure type, by the file that holds them.
extern const FieldSpan kBiosFields;                 // fields_system.cpp: type 0
extern const FieldSpan kSystemFields;               // 1
extern const FieldSpan kBoardFields;                // 2
extern const FieldSpan kEnclosureFields;            // 3
extern const FieldSpan kProcessorFields;            // fields_processor.cpp: 4
extern const FieldSpan kCacheFields;                // 7
extern const FieldSpan kMemoryControllerFields;     // fields_connectors.cpp: 5
extern const FieldSpan kMemoryModuleFields;         // 6
extern const FieldSpan kPortFields;                 // 8
extern const FieldSpan kSlotFields;                 // 9
extern const FieldSpan kDeviceFields;               // 10
extern const FieldSpan kOemFields;                  // 11
extern const FieldSpan kConfigFields;               // 12
extern const FieldSpan kLanguageFields;             // 13
extern const FieldSpan kGroupFields;                // 14
extern const FieldSpan kEventLogFields;             // fields_events.cpp: 15
extern const FieldSpan kMemoryErrorFields;          // 18
extern const FieldSpan kPointingFields;             // 21
extern const FieldSpan kBatteryFields;              // 22
extern const FieldSpan kResetFields;                // 23
extern const FieldSpan kSecurityFields;             // 24
extern const FieldSpan kPowerControlFields;         // 25
extern const FieldSpan kMemoryError64Fields;        // 33
extern const FieldSpan kMemoryChannelFields;        // 37
extern const FieldSpan kMemoryArrayFields;          // fields_memory.cpp: 16
extern const FieldSpan kMemoryDeviceFields;         // 17
extern const FieldSpan kMemoryMapFields;            // 19
extern const FieldSpan kMemoryDeviceMapFields;      // 20
extern const FieldSpan kVoltageProbeFields;         // fields_probes.cpp: 26
extern const FieldSpan kCoolingFields;              // 27
extern const FieldSpan kTemperatureProbeFields;     // 28
extern const FieldSpan kCurrentProbeFields;         // 29
extern const FieldSpan kRemoteAccessFields;         // 30
extern const FieldSpan kBisFields;                  // 31
extern const FieldSpan kBootFields;                 // 32
extern const FieldSpan kManagementDeviceFields;     // 34
extern const FieldSpan kManagementComponentFields;  // 35
extern const FieldSpan kManagementThresholdFields;  // 36
extern const FieldSpan kIpmiFields;                 // fields_management.cpp: 38
extern const FieldSpan kPowerSupplyFields;          // 39
extern const FieldSpan kAdditionalInfoFields;       // 40
extern const FieldSpan kOnboardFields;              // 41
extern const FieldSpan kHostInterfaceFields;        // 42
extern const FieldSpan kTpmFields;                  // 43
extern const FieldSpan kProcessorInfoFields;        // 44
extern const FieldSpan kFirmwareFields;             // 45
extern const FieldSpan kStringPropertyFields;       // 46
extern const FieldSpan kOtherFields;                // fields_other.cpp: the rest

}  // namespace tarnlix
