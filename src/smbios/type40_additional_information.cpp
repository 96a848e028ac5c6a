// SMBIOS 3.9, 7.41 Additional Information (Type 40)
#include "acquire/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

// Type 40. The entries follow the count: a length, the handle and offset
// of the field they update, a string and the value. The walk stops at the
// first entry the structure does not hold whole.
template <typename F>
bool ForEachAdditionalEntry(const StructureView& s, FieldValue& value, F f) {
  value.BeginList();
  size_t at = 0x05;
  bool any = false;
  for (uint8_t i = 0; i < s.bytes[0x04]; ++i) {
    if (!s.Has(at, 1)) break;
    uint8_t length = s.bytes[at];
    if (length < 5 || !s.Has(at, length)) break;
    f(s.bytes + at, length);
    value.EndItem();
    any = true;
    at += length;
  }
  return any;
}

bool AdditionalHandle(const FieldRow&, const StructureView& s, FieldValue& value) {
  return ForEachAdditionalEntry(s, value, [&](const uint8_t* entry, uint8_t) {
    value.AppendHex(ReadLe16(entry + 1), 4, true);
  });
}

bool AdditionalOffset(const FieldRow&, const StructureView& s, FieldValue& value) {
  return ForEachAdditionalEntry(s, value, [&](const uint8_t* entry, uint8_t) {
    value.AppendHex(entry[3], 2, true);
  });
}

// Each entry keeps its place in the list, so a missing string reads as
// dmidecode shows it.
bool AdditionalString(const FieldRow&, const StructureView& s, FieldValue& value) {
  return ForEachAdditionalEntry(s, value, [&](const uint8_t* entry, uint8_t) {
    std::string_view text = s.String(entry[4]);
    if (entry[4] == 0) text = "Not Specified";
    value.Append(text);
  });
}

// A value of one, two or four bytes; dmidecode shows no other size.
bool AdditionalValue(const FieldRow&, const StructureView& s, FieldValue& value) {
  return ForEachAdditionalEntry(s, value, [&](const uint8_t* entry, uint8_t length) {
    switch (length - 5) {
      case 1: value.AppendHex(entry[5], 2, true); break;
      case 2: value.AppendHex(ReadLe16(entry + 5), 4, true); break;
      case 4: value.AppendHex(ReadLe32(entry + 5), 8, true); break;
      default: value.Append("Unexpected size"); break;
    }
  });
}

// One item per entry, in entry order, in each list.
constexpr FieldRow kAdditionalInfoRows[] = {
    {.selector = "/ADDINFOCOUNT", .type = 40, .decode = FieldDecode::Number, .at = 0x04,
     .kind = FieldKind::Number, .label = "Number Of Entries"},
    {.selector = "/ADDINFOHANDLE", .type = 40, .decode = FieldDecode::Special, .at = 0x04,
     .name = "Referenced Handle", .kind = FieldKind::List, .special = AdditionalHandle,
     .refersToHandle = true},
    {.selector = "/ADDINFOOFFSET", .type = 40, .decode = FieldDecode::Special, .at = 0x04,
     .name = "Referenced Offset", .kind = FieldKind::List, .special = AdditionalOffset},
    {.selector = "/ADDINFOSTRING", .type = 40, .decode = FieldDecode::Special, .at = 0x04,
     .name = "String", .kind = FieldKind::List, .special = AdditionalString},
    {.selector = "/ADDINFOVALUE", .type = 40, .decode = FieldDecode::Special, .at = 0x04,
     .name = "Value", .kind = FieldKind::List, .special = AdditionalValue},
};

}  // namespace

extern const StructureGroup kType40Group{
    .selector = "/ADDINFO", .type = 40, .heading = "Additional Information",
    .what = "additional information",
    .rows = kAdditionalInfoRows, .rowCount = std::size(kAdditionalInfoRows)};

}  // namespace tarnlix
