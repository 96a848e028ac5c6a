// What the files of field rows share: the row builders, and each file's
// rows, which fields.cpp gathers into the groups.
#pragma once

#include "smbios/fields.h"
#include "smbios/name_tables.h"

namespace tarnlix {

// A string slot of the record (the slots the earlier reports print).
constexpr FieldRow Slot(const char* selector, uint8_t type, uint8_t slot, const char* name) {
  return {.selector = selector, .type = type, .decode = FieldDecode::Slot, .at = slot, .name = name};
}
// Another spelling of a row, listed right after it.
constexpr FieldRow Alias(FieldRow row, const char* selector) {
  row.selector = selector;
  row.alias = true;
  return row;
}

// Handles whose value says there is no error record.
inline constexpr CodeName kErrorHandleEntries[] = {{0xFFFE, ""}, {0xFFFF, "No Error"}};
inline constexpr NameTable kErrorHandleNames{kErrorHandleEntries, 2};

// The rows of each area, in the order their groups print them.
extern const FieldSpan kBiosFields;             // type 0
extern const FieldSpan kSystemFields;           // type 1
extern const FieldSpan kBoardFields;            // type 2
extern const FieldSpan kEnclosureFields;        // type 3
extern const FieldSpan kProcessorFields;        // type 4
extern const FieldSpan kCacheFields;            // type 7
extern const FieldSpan kPortFields;             // type 8
extern const FieldSpan kSlotFields;             // type 9
extern const FieldSpan kDeviceFields;           // type 10
extern const FieldSpan kOemFields;              // type 11
extern const FieldSpan kMemoryArrayFields;      // type 16
extern const FieldSpan kMemoryDeviceFields;     // type 17
extern const FieldSpan kMemoryMapFields;        // type 19
extern const FieldSpan kMemoryDeviceMapFields;  // type 20
extern const FieldSpan kBatteryFields;          // type 22

}  // namespace tarnlix
