// The names of the codes of one SMBIOS enumeration or bit list. The tables
// themselves are data (src/smbios/names/*.tsv), made into C++ at build time
// (smbios/name_tables.h).
#pragma once

#include <cstddef>
#include <cstdint>

namespace tarnlix {

struct CodeName {
  uint16_t code;  // the value, or the bit number of a bit list
  const char* name;
};

struct NameTable {
  const CodeName* entries;  // in code order
  uint16_t count;

  // The name of a code, or null when the code has none.
  const char* Find(uint32_t code) const {
    size_t low = 0;
    size_t high = count;
    while (low < high) {
      size_t middle = (low + high) / 2;
      if (entries[middle].code < code) {
        low = middle + 1;
      } else {
        high = middle;
      }
    }
    return low < count && entries[low].code == code ? entries[low].name : nullptr;
  }
};

template <size_t N>
constexpr bool InCodeOrder(const CodeName (&entries)[N]) {
  for (size_t i = 1; i < N; ++i) {
    if (entries[i - 1].code >= entries[i].code) return false;
  }
  return true;
}

}  // namespace tarnlix
