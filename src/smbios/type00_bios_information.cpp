// SMBIOS 3.9, 7.1 BIOS Information (Type 0)
#include "acquire/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

// The BIOS's start, as a real-mode segment; UEFI firmware has none.
uint16_t BiosSegment(const StructureView& s) { return ReadLe16(s.bytes + 0x06); }

bool BiosAddress(const FieldRow&, const StructureView& s, FieldValue& value) {
  if (BiosSegment(s) == 0) return false;
  value.BeginText();
  value.AppendHex(uint32_t{BiosSegment(s)} << 4, 5);
  return true;
}

// What the BIOS occupies below 1 MB, in bytes.
bool BiosRuntimeSize(const FieldRow&, const StructureView& s, FieldValue& value) {
  if (BiosSegment(s) == 0) return false;
  value.SetNumber((0x10000u - BiosSegment(s)) << 4);
  return true;
}

// In 64 kB blocks, less one; 0xFF says the size is in the extended word,
// in MB or GB.
bool BiosRomSize(const FieldRow&, const StructureView& s, FieldValue& value) {
  uint8_t blocks = s.bytes[0x09];
  if (blocks == 0xFF && s.Has(0x18, 2)) {
    uint16_t extended = ReadLe16(s.bytes + 0x18);
    uint64_t size = extended & 0x3FFF;
    switch (extended >> 14) {
      case 0: value.SetNumber(size << 10); return true;
      case 1: value.SetNumber(size << 20); return true;
      default: return false;
    }
  }
  value.SetNumber((uint64_t{blocks} + 1) << 6);
  return true;
}

// The characteristics, then the two extension bytes, in one list. Firmware
// that says it does not support characteristics lists nothing else of the
// first set.
bool BiosCharacteristics(const FieldRow&, const StructureView& s, FieldValue& value) {
  value.BeginList();
  uint64_t bits = ReadLe64(s.bytes + 0x0A);
  const NameTable& names = names::kBiosCharacteristics;
  if (bits & (1u << 3)) {
    value.Item(names.Find(3));
  } else {
    for (uint32_t bit = 4; bit < 32; ++bit) {
      if ((bits >> bit) & 1) {
        if (const char* name = names.Find(bit)) value.Item(name);
      }
    }
  }
  const NameTable* extensions[] = {&names::kBiosCharacteristicsX1, &names::kBiosCharacteristicsX2};
  for (uint8_t i = 0; i < 2; ++i) {
    if (!s.Has(0x12 + i, 1)) break;
    for (uint32_t bit = 0; bit < 8; ++bit) {
      if ((s.bytes[0x12 + i] >> bit) & 1) {
        if (const char* name = extensions[i]->Find(bit)) value.Item(name);
      }
    }
  }
  return true;
}

constexpr FieldRow kBiosRows[] = {
    {.selector = "/BIOSVENDOR", .type = 0, .decode = FieldDecode::String, .at = 0x04,
     .place = 1, .name = "Vendor"},
    {.selector = "/BIOSVER", .type = 0, .decode = FieldDecode::String, .at = 0x05, .place = 2,
     .name = "Version"},
    {.selector = "/BIOSDATE", .type = 0, .decode = FieldDecode::String, .at = 0x08, .place = 3,
     .name = "Release Date", .label = "Date", .isoForm = true},
    {.selector = "/BIOSREV", .type = 0, .decode = FieldDecode::Release, .at = 0x14, .size = 2,
     .since = 0x18, .name = "BIOS Revision", .label = "Revision"},
    {.selector = "/ECREV", .type = 0, .decode = FieldDecode::Release, .at = 0x16, .size = 2,
     .since = 0x18, .name = "Firmware Revision", .label = "EC revision"},
    {.selector = "/BIOSADDRESS", .type = 0, .decode = FieldDecode::Special, .at = 0x06,
     .size = 2, .name = "Address", .special = BiosAddress},
    {.selector = "/BIOSRUNTIME", .type = 0, .decode = FieldDecode::Special, .at = 0x06,
     .size = 2, .name = "Runtime Size", .unit = "bytes", .kind = FieldKind::Number,
     .special = BiosRuntimeSize},
    {.selector = "/BIOSROMSIZE", .type = 0, .decode = FieldDecode::Special, .at = 0x09,
     .name = "ROM Size", .unit = "kB", .kind = FieldKind::Number, .special = BiosRomSize},
    {.selector = "/BIOSCHARS", .type = 0, .decode = FieldDecode::Special, .at = 0x0A, .size = 8,
     .name = "Characteristics", .kind = FieldKind::List, .special = BiosCharacteristics},
};

// The strings no field names, as the earlier reports showed them.
constexpr PlaceLabel kBiosPlaces[] = {{4, "Extra1"}, {5, "Extra2"}, {6, "Extra3"}, {7, "Extra4"}};

}  // namespace

extern const StructureGroup kType00Group{
    .selector = "/BIOS", .type = 0, .heading = "BIOS Information", .what = "BIOS",
    .rows = kBiosRows, .rowCount = std::size(kBiosRows), .places = kBiosPlaces,
    .placeCount = std::size(kBiosPlaces)};

}  // namespace tarnlix
