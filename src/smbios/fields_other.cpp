// Structures of a type the standard does not define, OEM types among them:
// their type, their bytes and their strings, in one group.
#include <cstring>

#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

bool OtherType(const FieldRow&, const StructureView& s, FieldValue& value) {
  value.SetNumber(s.bytes[0]);
  return true;
}

// The formatted area, header included, as dmidecode's -u shows it: upper
// case hexadecimal bytes separated by spaces.
bool OtherData(const FieldRow&, const StructureView& s, FieldValue& value) {
  static const char kHex[] = "0123456789ABCDEF";
  value.BeginText();
  for (size_t i = 0; i < s.length; ++i) {
    if (i != 0) value.Append(' ');
    value.Append(kHex[s.bytes[i] >> 4]);
    value.Append(kHex[s.bytes[i] & 0xF]);
  }
  return true;
}

// Every string of the string-set, in order, each trimmed of trailing spaces.
bool OtherStrings(const FieldRow&, const StructureView& s, FieldValue& value) {
  value.BeginList();
  const char* text = reinterpret_cast<const char*>(s.strings);
  for (size_t offset = 0; offset < s.stringsLength;) {
    size_t size = strnlen(text + offset, s.stringsLength - offset);
    size_t trimmed = size;
    while (trimmed > 0 && text[offset + trimmed - 1] == ' ') --trimmed;
    value.Item({text + offset, trimmed});
    offset += size + 1;
  }
  return true;
}

constexpr FieldRow kOtherRows[] = {
    {.selector = "/OTHERTYPE", .type = kOtherTypes, .decode = FieldDecode::Special, .size = 0,
     .kind = FieldKind::Number, .special = OtherType, .label = "Type"},
    {.selector = "/OTHERDATA", .type = kOtherTypes, .decode = FieldDecode::Special, .size = 0,
     .name = "Header and Data", .special = OtherData, .label = "Data"},
    {.selector = "/OTHERSTRINGS", .type = kOtherTypes, .decode = FieldDecode::Special,
     .size = 0, .name = "Strings", .kind = FieldKind::List, .special = OtherStrings},
};

}  // namespace

constexpr auto kOtherKeys = MakeJsonKeys(kOtherRows);
extern const FieldSpan kOtherFields{kOtherRows, std::size(kOtherRows), kOtherKeys.keys};

}  // namespace tarnlix
