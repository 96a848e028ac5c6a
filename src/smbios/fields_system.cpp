// BIOS (type 0), system (type 1), baseboard (type 2) and enclosure (type 3).
#include "smbios/bytes.h"
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

// The handles the board holds, listed only when the structure has them all.
bool BoardObjectHandles(const FieldRow&, const StructureView& s, FieldValue& value) {
  uint8_t count = s.bytes[0x0E];
  if (!s.Has(0x0F, 2 * size_t{count})) return false;
  value.BeginList();
  for (uint8_t i = 0; i < count; ++i) {
    value.AppendHex(ReadLe16(s.bytes + 0x0F + 2 * i), 4);
    value.EndItem();
  }
  return true;
}

// Each contained element as "<type> (min-max)": a structure type when the
// element type's top bit is set, a baseboard type otherwise. Listed only
// when the structure holds every record.
bool ChassisElements(const FieldRow&, const StructureView& s, FieldValue& value) {
  uint8_t count = s.bytes[0x13];
  uint8_t size = s.bytes[0x14];
  if (!s.Has(0x15, size_t{count} * size)) return false;
  value.BeginList();
  for (uint8_t i = 0; i < count && size >= 3; ++i) {
    const uint8_t* element = s.bytes + 0x15 + i * size;
    const char* name = element[0] & 0x80 ? names::kDmiTypeName.Find(element[0] & 0x7F)
                                         : names::kBoardType.Find(element[0]);
    value.Append(name != nullptr ? name : kUnnamedCode);
    value.Append(" (");
    value.AppendDecimal(element[1]);
    if (element[2] != element[1]) {
      value.Append('-');
      value.AppendDecimal(element[2]);
    }
    value.Append(')');
    value.EndItem();
  }
  return true;
}

inline constexpr CodeName kLockEntries[] = {{0, "Not Present"}, {1, "Present"}};
inline constexpr NameTable kLockNames{kLockEntries, 2};

constexpr FieldRow kBiosRows[] = {
    Slot("/BIOSVENDOR", 0, 0, "Vendor"),
    Slot("/BIOSVER", 0, 1, "Version"),
    {.selector = "/BIOSDATE", .type = 0, .decode = FieldDecode::Slot, .at = 2,
     .name = "Release Date", .isoForm = true},
    {.selector = "/BIOSREV", .type = 0, .decode = FieldDecode::Release, .at = 0x14, .size = 2,
     .since = 0x18, .name = "BIOS Revision", .label = "Revision      "},
    {.selector = "/ECREV", .type = 0, .decode = FieldDecode::Release, .at = 0x16, .size = 2,
     .since = 0x18, .name = "Firmware Revision", .label = "EC revision   "},
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

constexpr FieldRow kSystemRows[] = {
    Slot("/PCMAKER", 1, 0, "Manufacturer"),
    Slot("/PCNAME", 1, 1, "Product Name"),
    Slot("/PCVER", 1, 2, "Version"),
    Slot("/PCSERIAL", 1, 3, "Serial Number"),
    Slot("/PCSKU", 1, 4, "SKU Number"),
    Slot("/PCFAMILY", 1, 5, "Family"),
    {.selector = "/PCUUID", .type = 1, .decode = FieldDecode::Uuid, .at = 0x08, .size = 16,
     .name = "UUID", .label = "UUID          "},
    {.selector = "/PCWAKEUP", .type = 1, .decode = FieldDecode::Name, .at = 0x18,
     .name = "Wake-up Type", .names = &names::kSystemWakeup},
};

constexpr FieldRow kBoardRows[] = {
    Slot("/BOARDMAN", 2, 0, "Manufacturer"),
    Slot("/BOARDPRODUCT", 2, 1, "Product Name"),
    Slot("/BOARDVER", 2, 2, "Version"),
    Slot("/BOARDSERIAL", 2, 3, "Serial Number"),
    Slot("/BOARDASSET", 2, 4, "Asset Tag"),
    Slot("/BOARDLOCATION", 2, 5, "Location In Chassis"),
    {.selector = "/BOARDFEATURES", .type = 2, .decode = FieldDecode::Bits, .at = 0x09,
     .name = "Features", .kind = FieldKind::List, .names = &names::kBoardFeatures},
    {.selector = "/BOARDCHASSIS", .type = 2, .decode = FieldDecode::Handle, .at = 0x0B,
     .size = 2, .name = "Chassis Handle"},
    {.selector = "/BOARDTYPE", .type = 2, .decode = FieldDecode::Name, .at = 0x0D,
     .name = "Type", .names = &names::kBoardType},
    {.selector = "/BOARDOBJECTS", .type = 2, .decode = FieldDecode::Special, .at = 0x0E,
     .name = "Contained Object Handles", .kind = FieldKind::List,
     .special = BoardObjectHandles},
};

constexpr FieldRow kEnclosureRows[] = {
    Slot("/ENCLOSUREMAN", 3, 0, "Manufacturer"),
    // The standard's names of the chassis types, which scripts have always
    // read; the misspelt text is the one they used. /ENCLOSURECHASSIS gives
    // dmidecode's.
    Slot("/ENCLOSURETYPE", 3, 1, ""),
    Alias(Slot("/ENCLOSURETYPE", 3, 1, ""), "/ENCLOSEURETYPE"),
    Slot("/ENCLOSUREVER", 3, 2, "Version"),
    Slot("/ENCLOSURESERIAL", 3, 3, "Serial Number"),
    Slot("/ENCLOSUREASSET", 3, 4, "Asset Tag"),
    {.selector = "/ENCLOSURECHASSIS", .type = 3, .decode = FieldDecode::Name, .at = 0x05,
     .name = "Type", .names = &names::kChassisType, .mask = 0x7F, .label = "Chassis Type"},
    {.selector = "/ENCLOSURELOCK", .type = 3, .decode = FieldDecode::Name, .at = 0x05,
     .name = "Lock", .names = &kLockNames, .shift = 7, .mask = 1},
    {.selector = "/ENCLOSUREBOOTSTATE", .type = 3, .decode = FieldDecode::Name, .at = 0x09,
     .name = "Boot-up State", .names = &names::kChassisState},
    {.selector = "/ENCLOSUREPSUSTATE", .type = 3, .decode = FieldDecode::Name, .at = 0x0A,
     .name = "Power Supply State", .names = &names::kChassisState},
    {.selector = "/ENCLOSURETHERMAL", .type = 3, .decode = FieldDecode::Name, .at = 0x0B,
     .name = "Thermal State", .names = &names::kChassisState},
    {.selector = "/ENCLOSURESECURITY", .type = 3, .decode = FieldDecode::Name, .at = 0x0C,
     .name = "Security Status", .names = &names::kChassisSecurity},
    {.selector = "/ENCLOSUREOEM", .type = 3, .decode = FieldDecode::Hex, .at = 0x0D, .size = 4,
     .name = "OEM Information"},
    {.selector = "/ENCLOSUREHEIGHT", .type = 3, .decode = FieldDecode::Number, .at = 0x11,
     .name = "Height", .unit = "U", .kind = FieldKind::Number, .none = kNoneIfZero},
    {.selector = "/ENCLOSURECORDS", .type = 3, .decode = FieldDecode::Number, .at = 0x12,
     .name = "Number Of Power Cords", .kind = FieldKind::Number, .none = kNoneIfZero},
    {.selector = "/ENCLOSUREELEMENTS", .type = 3, .decode = FieldDecode::Special, .at = 0x13,
     .size = 2, .name = "Contained Elements", .kind = FieldKind::List,
     .special = ChassisElements},
    Slot("/ENCLOSURESKU", 3, 5, "SKU Number"),
};

}  // namespace

constexpr auto kBiosKeys = MakeJsonKeys(kBiosRows);
extern const FieldSpan kBiosFields{kBiosRows, std::size(kBiosRows),
                                   kBiosKeys.keys};
constexpr auto kSystemKeys = MakeJsonKeys(kSystemRows);
extern const FieldSpan kSystemFields{kSystemRows, std::size(kSystemRows),
                                     kSystemKeys.keys};
constexpr auto kBoardKeys = MakeJsonKeys(kBoardRows);
extern const FieldSpan kBoardFields{kBoardRows, std::size(kBoardRows),
                                    kBoardKeys.keys};
constexpr auto kEnclosureKeys = MakeJsonKeys(kEnclosureRows);
extern const FieldSpan kEnclosureFields{kEnclosureRows, std::size(kEnclosureRows),
                                        kEnclosureKeys.keys};

}  // namespace tarnlix
