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
  value.BeginText();
  value.AppendHexBytes(s.bytes, s.length);
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
     .kind = FieldKind::Number, .special = OtherType, .label = "Type", .identifies = true},
    {.selector = "/OTHERDATA", .type = kOtherTypes, .decode = FieldDecode::Special, .size = 0,
     .name = "Header and Data", .special = OtherData, .label = "Data"},
    {.selector = "/OTHERSTRINGS", .type = kOtherTypes, .decode = FieldDecode::Special,
     .size = 0, .name = "Strings", .kind = FieldKind::List, .special = OtherStrings},
};

}  // namespace

extern const StructureGroup kTypeOtherGroup{
    .selector = "/OTHER", .type = kOtherTypes, .heading = "Other Types",
    .what = "structure of a type the standard does not define (OEM types among them)",
    .rows = kOtherRows, .rowCount = std::size(kOtherRows)};

}  // namespace tarnlix
