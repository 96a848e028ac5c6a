// SMBIOS entry-point structures: the 32-bit "_SM_", the 64-bit "_SM3_" and
// the legacy "_DMI_" form, as firmware publishes them and dump files begin.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tarnlix {

enum class EntryPointKind { None, Smbios2, Smbios3, Legacy };

struct EntryPoint {
  EntryPointKind kind = EntryPointKind::None;
  uint64_t tableAddress = 0;
  uint32_t tableLength = 0;  // for Smbios3 only a maximum
  uint16_t structureCount = 0;  // 0 where the entry point gives none (Smbios3)
  uint8_t major = 0;
  uint8_t minor = 0;
  uint8_t revision = 0;
};

// Which entry point the bytes begin with (exact anchor), judged on the anchor
// alone: the result may need more bytes than are there (see EntryPointSize).
EntryPointKind EntryPointKindAt(const uint8_t* bytes, size_t size);

// Bytes needed to read every field used from an entry point of this kind.
size_t EntryPointSize(EntryPointKind kind);

// Decodes the entry point at bytes; false when it is not one or is cut short.
// The 32-bit form's structure count is read where its bytes are there.
bool ParseEntryPoint(const uint8_t* bytes, size_t size, EntryPoint* out);

// The version an entry point gives, as its firmware meant it: some write
// 2.31 or 2.33 for 2.3, and 2.51 for 2.6. Read as given, such a table would
// count as later than 2.6, and its UUID would be read in the wrong order.
void CorrectMisreportedVersion(int32_t* major, int32_t* minor);

// Reads the fields of an entry point of a known kind, without looking at its
// anchor: bytes must hold at least EntryPointSize(kind) bytes. For callers
// that recognise the anchor by rules of their own.
EntryPoint DecodeEntryPoint(EntryPointKind kind, const uint8_t* bytes);

}  // namespace tarnlix
