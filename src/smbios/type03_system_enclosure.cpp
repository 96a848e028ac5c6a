// SMBIOS 3.9, 7.4 System Enclosure or Chassis (Type 3)
#include "acquire/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

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

}  // namespace

extern const StructureGroup kType03Group{
    .selector = "/ENCLOSURE", .type = 3, .heading = "System Enclosure",
    .what = "enclosure (chassis)", .rows = kEnclosureRows,
    .rowCount = std::size(kEnclosureRows), .places = kEnclosurePlaces,
    .placeCount = std::size(kEnclosurePlaces)};

}  // namespace tarnlix
