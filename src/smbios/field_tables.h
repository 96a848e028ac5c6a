// What the files of field rows share: the helpers of their decoders, and
// each file's groups, which fields.cpp puts in structure type order.
#pragma once

#include "smbios/fields.h"
#include "smbios/name_tables.h"

namespace tarnlix {

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

// The groups one file defines.
struct GroupList {
  const StructureGroup* groups;
  size_t count;
};

extern const GroupList kSystemGroups;      // fields_system.cpp: types 0-3
extern const GroupList kProcessorGroups;   // fields_processor.cpp: 4, 7
extern const GroupList kConnectorGroups;   // fields_connectors.cpp: 5, 6, 8-14
extern const GroupList kEventGroups;       // fields_events.cpp: 15, 18, 21-25, 33, 37
extern const GroupList kMemoryGroups;      // fields_memory.cpp: 16, 17, 19, 20
extern const GroupList kProbeGroups;       // fields_probes.cpp: 26-32, 34-36
extern const GroupList kManagementGroups;  // fields_management.cpp: 38-46
extern const GroupList kOtherGroups;       // fields_other.cpp: every type the standard does not define

extern const TableGroup kMachineGroup;  // machine_identity.cpp: which machine the table is of

}  // namespace tarnlix
