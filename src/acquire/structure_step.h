// Stepping over one structure of an SMBIOS table.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tarnlix {

// The offset just past the structure at position (its formatted area, then
// its string-set up to the double NUL), or 0 when it cannot be stepped over
// as the standard defines: a header or formatted area cut short by the end
// of the table, a length byte below 4, or a string-set without its double
// NUL. Never reads at or past length.
size_t StructureEnd(const uint8_t* table, size_t length, size_t position);

// Why the structure at position cannot be stepped over.
enum class StepFault : uint8_t {
  None,            // it can
  NothingLeft,     // position is the end of the table
  HeaderCut,       // fewer than 4 bytes are left
  LengthBelowFour, // its length byte says less than its header
  FormattedCut,    // its formatted area runs past the end of the table
  StringsUnended,  // its string-set has no double NUL before the end
};
StepFault StructureFault(const uint8_t* table, size_t length, size_t position);

}  // namespace tarnlix
