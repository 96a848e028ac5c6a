// SMBIOS 3.9, 7.47 String Property (Type 46)
#include "acquire/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

// Type 46. The standard names one property and two ranges; the others are
// reserved.
bool StringPropertyId(const FieldRow&, const StructureView& s, FieldValue& value) {
  uint16_t id = ReadLe16(s.bytes + 0x04);
  if (id == 0x0001) {
    value.SetText("UEFI device path");
  } else if (id >= 0xC000) {
    value.SetText("OEM defined");
  } else if (id >= 0x8000) {
    value.SetText("BIOS vendor defined");
  } else {
    return false;
  }
  return true;
}

// dmidecode does not decode this type either.
constexpr FieldRow kStringPropertyRows[] = {
    {.selector = "/STRINGPROPID", .type = 46, .decode = FieldDecode::Special, .at = 0x04,
     .size = 2, .special = StringPropertyId, .label = "String Property ID"},
    {.selector = "/STRINGPROPVALUE", .type = 46, .decode = FieldDecode::String, .at = 0x06,
     .label = "String Property Value"},
    {.selector = "/STRINGPROPPARENT", .type = 46, .decode = FieldDecode::Handle, .at = 0x07,
     .size = 2, .label = "Parent Handle"},
    {.selector = "/STRINGPROPDUMP", .type = 46, .decode = FieldDecode::Special, .size = 4,
     .name = "Header and Data", .kind = FieldKind::List, .special = HeaderAndData},
    {.selector = "/STRINGPROPSTRINGS", .type = 46, .decode = FieldDecode::Special, .size = 4,
     .name = "Strings", .kind = FieldKind::List, .special = StringSet},
};

}  // namespace

extern const StructureGroup kType46Group{
    .selector = "/STRINGPROP", .type = 46, .heading = "String Property",
    .what = "string property",
    .rows = kStringPropertyRows, .rowCount = std::size(kStringPropertyRows)};

}  // namespace tarnlix
