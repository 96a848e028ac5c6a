// BIOS (type 0), system (type 1), baseboard (type 2) and enclosure (type 3).
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

// The SKU's string number, the rack type and the rack height follow the
// contained-element records (count at 0x13, size of each at 0x14), in that
// order: the byte `after` bytes past the records, where the structure has it.
bool ByteAfterElements(const StructureView& s, size_t after, uint8_t& byte) {
  size_t offset = 0x15 + size_t{s.bytes[0x13]} * s.bytes[0x14] + after;
  if (offset >= s.length) return false;
  byte = s.bytes[offset];
  return true;
}

bool ChassisSku(const FieldRow&, const StructureView& s, FieldValue& value) {
  uint8_t number;
  if (!ByteAfterElements(s, 0, number) || number > kMaxPlacedString) return false;
  value.SetLasting(s.String(number));
  return true;
}

bool RackType(const FieldRow&, const StructureView& s, FieldValue& value) {
  uint8_t code;
  if (!ByteAfterElements(s, 1, code)) return false;
  const char* name = names::kChassisRackType.Find(code);
  if (name == nullptr) return false;
  value.SetLasting(name);
  return true;
}

// In the units of the rack type; 0 is none.
bool RackHeight(const FieldRow&, const StructureView& s, FieldValue& value) {
  uint8_t height;
  if (!ByteAfterElements(s, 2, height) || height == 0) return false;
  value.SetNumber(height);
  return true;
}

// 7.1 BIOS Information (type 0)
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

// 7.2 System Information (type 1)
constexpr FieldRow kSystemRows[] = {
    {.selector = "/PCMAKER", .type = 1, .decode = FieldDecode::String, .at = 0x04, .place = 1,
     .name = "Manufacturer"},
    {.selector = "/PCNAME", .type = 1, .decode = FieldDecode::String, .at = 0x05, .place = 2,
     .name = "Product Name", .label = "Product name"},
    {.selector = "/PCVER", .type = 1, .decode = FieldDecode::String, .at = 0x06, .place = 3,
     .name = "Version"},
    {.selector = "/PCSERIAL", .type = 1, .decode = FieldDecode::String, .at = 0x07, .place = 4,
     .name = "Serial Number", .label = "Serial#"},
    {.selector = "/PCSKU", .type = 1, .decode = FieldDecode::String, .at = 0x19, .place = 5,
     .name = "SKU Number", .label = "SKU"},
    {.selector = "/PCFAMILY", .type = 1, .decode = FieldDecode::String, .at = 0x1A, .place = 6,
     .name = "Family"},
    {.selector = "/PCUUID", .type = 1, .decode = FieldDecode::Uuid, .at = 0x08, .size = 16,
     .name = "UUID"},
    {.selector = "/PCWAKEUP", .type = 1, .decode = FieldDecode::Name, .at = 0x18,
     .name = "Wake-up Type", .names = &names::kSystemWakeup, .varies = true},
};
constexpr PlaceLabel kSystemPlaces[] = {{7, "Extra"}};

// 7.3 Baseboard (or Module) Information (type 2)
constexpr FieldRow kBoardRows[] = {
    {.selector = "/BOARDMAN", .type = 2, .decode = FieldDecode::String, .at = 0x04, .place = 1,
     .name = "Manufacturer"},
    {.selector = "/BOARDPRODUCT", .type = 2, .decode = FieldDecode::String, .at = 0x05,
     .place = 2, .name = "Product Name", .label = "Product name"},
    {.selector = "/BOARDVER", .type = 2, .decode = FieldDecode::String, .at = 0x06, .place = 3,
     .name = "Version"},
    {.selector = "/BOARDSERIAL", .type = 2, .decode = FieldDecode::String, .at = 0x07,
     .place = 4, .name = "Serial Number", .label = "Serial#"},
    {.selector = "/BOARDASSET", .type = 2, .decode = FieldDecode::String, .at = 0x08,
     .place = 5, .name = "Asset Tag", .label = "Asset tag"},
    {.selector = "/BOARDLOCATION", .type = 2, .decode = FieldDecode::String, .at = 0x0A,
     .place = 6, .name = "Location In Chassis", .label = "Location"},
    {.selector = "/BOARDFEATURES", .type = 2, .decode = FieldDecode::Bits, .at = 0x09,
     .name = "Features", .kind = FieldKind::List, .names = &names::kBoardFeatures},
    {.selector = "/BOARDCHASSIS", .type = 2, .decode = FieldDecode::Handle, .at = 0x0B,
     .size = 2, .name = "Chassis Handle"},
    {.selector = "/BOARDTYPE", .type = 2, .decode = FieldDecode::Name, .at = 0x0D,
     .name = "Type", .names = &names::kBoardType},
    {.selector = "/BOARDOBJECTS", .type = 2, .decode = FieldDecode::Special, .at = 0x0E,
     .name = "Contained Object Handles", .kind = FieldKind::List,
     .special = BoardObjectHandles, .refersToHandle = true},
};
// One column wider than every other label, as the earlier reports had it.
constexpr PlaceLabel kBoardPlaces[] = {{7, "Extra          "}};

// 7.4 System Enclosure or Chassis (type 3)
constexpr FieldRow kEnclosureRows[] = {
    {.selector = "/ENCLOSUREMAN", .type = 3, .decode = FieldDecode::String, .at = 0x04,
     .place = 1, .name = "Manufacturer"},
    // The standard's names of the chassis types, which scripts have always
    // read; the misspelt text is the one they used. /ENCLOSURECHASSIS gives
    // dmidecode's.
    {.selector = "/ENCLOSURETYPE", .type = 3, .decode = FieldDecode::Name, .at = 0x05,
     .place = 2, .names = &names::kStandardChassisType, .mask = 0x7F, .label = "Type"},
    Alias({.selector = "/ENCLOSURETYPE", .type = 3, .decode = FieldDecode::Name, .at = 0x05,
           .place = 2, .names = &names::kStandardChassisType, .mask = 0x7F, .label = "Type"},
          "/ENCLOSEURETYPE"),
    {.selector = "/ENCLOSUREVER", .type = 3, .decode = FieldDecode::String, .at = 0x06,
     .place = 3, .name = "Version"},
    {.selector = "/ENCLOSURESERIAL", .type = 3, .decode = FieldDecode::String, .at = 0x07,
     .place = 4, .name = "Serial Number", .label = "Serial#"},
    {.selector = "/ENCLOSUREASSET", .type = 3, .decode = FieldDecode::String, .at = 0x08,
     .place = 5, .name = "Asset Tag", .label = "Asset tag"},
    {.selector = "/ENCLOSURECHASSIS", .type = 3, .decode = FieldDecode::Name, .at = 0x05,
     .name = "Type", .names = &names::kChassisType, .mask = 0x7F, .label = "Chassis Type"},
    {.selector = "/ENCLOSURELOCK", .type = 3, .decode = FieldDecode::Name, .at = 0x05,
     .name = "Lock", .names = &kLockNames, .shift = 7, .mask = 1},
    {.selector = "/ENCLOSUREBOOTSTATE", .type = 3, .decode = FieldDecode::Name, .at = 0x09,
     .name = "Boot-up State", .names = &names::kChassisState, .varies = true},
    {.selector = "/ENCLOSUREPSUSTATE", .type = 3, .decode = FieldDecode::Name, .at = 0x0A,
     .name = "Power Supply State", .names = &names::kChassisState, .varies = true},
    {.selector = "/ENCLOSURETHERMAL", .type = 3, .decode = FieldDecode::Name, .at = 0x0B,
     .name = "Thermal State", .names = &names::kChassisState, .varies = true},
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
    {.selector = "/ENCLOSURESKU", .type = 3, .decode = FieldDecode::Special, .at = 0x13,
     .size = 2, .place = 6, .name = "SKU Number", .special = ChassisSku, .label = "SKU"},
    {.selector = "/ENCLOSURERACKTYPE", .type = 3, .decode = FieldDecode::Special, .at = 0x13,
     .size = 2, .name = "Rack Type", .special = RackType},
    {.selector = "/ENCLOSURERACKHEIGHT", .type = 3, .decode = FieldDecode::Special, .at = 0x13,
     .size = 2, .name = "Rack Height", .unit = "U", .kind = FieldKind::Number,
     .special = RackHeight},
};
constexpr PlaceLabel kEnclosurePlaces[] = {{7, "Extra"}};

constexpr StructureGroup kGroups[] = {
    {.selector = "/BIOS", .type = 0, .heading = "BIOS Information", .what = "BIOS",
     .rows = kBiosRows, .rowCount = std::size(kBiosRows), .places = kBiosPlaces,
     .placeCount = std::size(kBiosPlaces)},
    {.selector = "/PC", .type = 1, .heading = "System Information", .what = "system",
     .rows = kSystemRows, .rowCount = std::size(kSystemRows), .places = kSystemPlaces,
     .placeCount = std::size(kSystemPlaces)},
    {.selector = "/BOARD", .type = 2, .heading = "Base Board", .what = "baseboard",
     .rows = kBoardRows, .rowCount = std::size(kBoardRows), .places = kBoardPlaces,
     .placeCount = std::size(kBoardPlaces)},
    {.selector = "/ENCLOSURE", .type = 3, .heading = "System Enclosure",
     .what = "enclosure (chassis)", .rows = kEnclosureRows,
     .rowCount = std::size(kEnclosureRows), .places = kEnclosurePlaces,
     .placeCount = std::size(kEnclosurePlaces)},
};

}  // namespace

extern const GroupList kSystemGroups{kGroups, std::size(kGroups)};

}  // namespace tarnlix
