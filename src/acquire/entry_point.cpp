#include "acquire/entry_point.h"

#include <cstring>

#include "acquire/bytes.h"

namespace tarnlix {

EntryPointKind EntryPointKindAt(const uint8_t* bytes, size_t size) {
  if (size >= 5 && std::memcmp(bytes, "_SM3_", 5) == 0)
    return EntryPointKind::Smbios3;
  if (size >= 4 && std::memcmp(bytes, "_SM_", 4) == 0)
    return EntryPointKind::Smbios2;
  if (size >= 5 && std::memcmp(bytes, "_DMI_", 5) == 0)
    return EntryPointKind::Legacy;
  return EntryPointKind::None;
}

size_t EntryPointSize(EntryPointKind kind) {
  switch (kind) {
    case EntryPointKind::Smbios3: return 0x18;
    case EntryPointKind::Smbios2: return 0x1C;
    case EntryPointKind::Legacy: return 0x0F;
    case EntryPointKind::None: break;
  }
  return 0;
}

bool ParseEntryPoint(const uint8_t* bytes, size_t size, EntryPoint* out) {
  EntryPointKind kind = EntryPointKindAt(bytes, size);
  if (kind == EntryPointKind::None || size < EntryPointSize(kind)) return false;
  *out = DecodeEntryPoint(kind, bytes);
  if (kind == EntryPointKind::Smbios2 && size >= 0x1E) out->structureCount = ReadLe16(bytes + 0x1C);
  return true;
}

void CorrectMisreportedVersion(int32_t* major, int32_t* minor) {
  if (*major != 2) return;
  if (*minor == 31 || *minor == 33) *minor = 3;
  if (*minor == 51) *minor = 6;
}

EntryPoint DecodeEntryPoint(EntryPointKind kind, const uint8_t* bytes) {
  EntryPoint ep;
  ep.kind = kind;
  switch (kind) {
    case EntryPointKind::Smbios3:
      ep.major = bytes[0x07];
      ep.minor = bytes[0x08];
      ep.revision = bytes[0x09];
      ep.tableLength = ReadLe32(bytes + 0x0C);
      ep.tableAddress = ReadLe64(bytes + 0x10);
      break;
    case EntryPointKind::Smbios2:
      ep.major = bytes[0x06];
      ep.minor = bytes[0x07];
      ep.tableLength = ReadLe16(bytes + 0x16);
      ep.tableAddress = ReadLe32(bytes + 0x18);
      break;
    case EntryPointKind::Legacy:
      // The legacy form carries its revision as one BCD byte (0x21 = 2.1).
      ep.major = bytes[0x0E] >> 4;
      ep.minor = bytes[0x0E] & 0x0F;
      ep.tableLength = ReadLe16(bytes + 0x06);
      ep.tableAddress = ReadLe32(bytes + 0x08);
      ep.structureCount = ReadLe16(bytes + 0x0C);
      break;
    case EntryPointKind::None:
      ep = EntryPoint{};
      break;
  }
  return ep;
}

}  // namespace tarnlix
