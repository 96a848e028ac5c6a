// SMBIOS 3.9, 7.44 TPM Device (Type 43)
#include <cstring>

#include "acquire/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

// Type 43. Four bytes of vendor letters, up to the first NUL.
bool TpmVendor(const FieldRow&, const StructureView& s, FieldValue& value) {
  const char* vendor = reinterpret_cast<const char*>(s.bytes + 0x04);
  size_t size = strnlen(vendor, 4);
  if (size == 0) return false;
  value.BeginText();
  AppendPrintable({vendor, size}, value);
  return true;
}

// A TPM 1.2 stores its revision in the last two bytes of the first
// version double word, a TPM 2.0 in its two words.
bool TpmFirmwareRevision(const FieldRow&, const StructureView& s, FieldValue& value) {
  uint32_t first, second;
  switch (s.bytes[0x08]) {
    case 1: first = s.bytes[0x0C]; second = s.bytes[0x0D]; break;
    case 2: {
      uint32_t version = ReadLe32(s.bytes + 0x0A);
      first = version >> 16;
      second = version & 0xFFFF;
      break;
    }
    default: return false;
  }
  value.BeginText();
  value.AppendDecimal(first);
  value.Append('.');
  value.AppendDecimal(second);
  return true;
}

// Bit 2 says the other bits mean nothing.
bool TpmCharacteristics(const FieldRow&, const StructureView& s, FieldValue& value) {
  uint64_t bits = ReadLe64(s.bytes + 0x13);
  const NameTable& names = names::kTpmCharacteristics;
  value.BeginList();
  if (bits & (1u << 2)) {
    value.Item(names.Find(2));
    return true;
  }
  for (uint32_t bit = 3; bit < 64; ++bit) {
    if ((bits >> bit) & 1) {
      if (const char* name = names.Find(bit)) value.Item(name);
    }
  }
  return true;
}

constexpr FieldRow kTpmRows[] = {
    {.selector = "/TPMVENDOR", .type = 43, .decode = FieldDecode::Special, .at = 0x04,
     .size = 4, .name = "Vendor ID", .special = TpmVendor},
    {.selector = "/TPMSPECVER", .type = 43, .decode = FieldDecode::Release, .at = 0x08,
     .size = 2, .name = "Specification Version", .about = "Version of the TPM family the device implements"},
    {.selector = "/TPMFWREV", .type = 43, .decode = FieldDecode::Special, .at = 0x08,
     .size = 6, .name = "Firmware Revision", .special = TpmFirmwareRevision},
    {.selector = "/TPMFWVERSION1", .type = 43, .decode = FieldDecode::Hex, .at = 0x0A,
     .size = 4, .label = "Firmware Version 1"},
    {.selector = "/TPMFWVERSION2", .type = 43, .decode = FieldDecode::Hex, .at = 0x0E,
     .size = 4, .label = "Firmware Version 2"},
    {.selector = "/TPMDESC", .type = 43, .decode = FieldDecode::String, .at = 0x12,
     .name = "Description"},
    {.selector = "/TPMCHARS", .type = 43, .decode = FieldDecode::Special, .at = 0x13,
     .size = 8, .name = "Characteristics", .kind = FieldKind::List,
     .special = TpmCharacteristics},
    {.selector = "/TPMOEM", .type = 43, .decode = FieldDecode::Hex, .at = 0x1B, .size = 4,
     .name = "OEM-specific Information"},
};

}  // namespace

extern const StructureGroup kType43Group{
    .selector = "/TPM", .type = 43, .heading = "TPM Device",
    .what = "TPM device",
    .rows = kTpmRows, .rowCount = std::size(kTpmRows)};

}  // namespace tarnlix
