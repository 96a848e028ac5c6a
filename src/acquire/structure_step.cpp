#include "acquire/structure_step.h"

#include <cstring>

namespace tarnlix {

size_t StructureEnd(const uint8_t* table, size_t length, size_t position) {
  if (position > length || length - position < 4) return 0;
  uint8_t formattedLength = table[position + 1];
  if (formattedLength < 4 || formattedLength > length - position) return 0;
  // The string-set ends at the first two consecutive NUL bytes.
  const uint8_t* scan = table + position + formattedLength;
  const uint8_t* last = table + length - 1;
  while (scan < last) {
    const void* nul = std::memchr(scan, 0, static_cast<size_t>(last - scan));
    if (nul == nullptr) break;
    const uint8_t* at = static_cast<const uint8_t*>(nul);
    if (at[1] == 0) return static_cast<size_t>(at - table) + 2;
    scan = at + 1;
  }
  return 0;
}

StepFault StructureFault(const uint8_t* table, size_t length, size_t position) {
  if (position >= length) return StepFault::NothingLeft;
  if (length - position < 4) return StepFault::HeaderCut;
  uint8_t formattedLength = table[position + 1];
  if (formattedLength < 4) return StepFault::LengthBelowFour;
  if (formattedLength > length - position) return StepFault::FormattedCut;
  return StructureEnd(table, length, position) == 0 ? StepFault::StringsUnended : StepFault::None;
}

}  // namespace tarnlix
