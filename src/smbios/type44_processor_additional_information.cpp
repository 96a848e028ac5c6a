// SMBIOS 3.9, 7.45 Processor Additional Information (Type 44)
#include "acquire/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

// Type 44. The processor-specific block: its length, the architecture,
// then that many bytes of data.
bool ProcessorSpecificData(const FieldRow&, const StructureView& s, FieldValue& value) {
  size_t length = s.bytes[0x06];
  if (!s.Has(0x08, length)) length = s.length - 0x08;
  if (length == 0) return false;
  value.BeginText();
  value.AppendHexBytes(s.bytes + 0x08, length);
  return true;
}

// dmidecode does not decode this type: it dumps it.
constexpr FieldRow kProcessorInfoRows[] = {
    {.selector = "/PROCADDINFOHANDLE", .type = 44, .decode = FieldDecode::Handle, .at = 0x04,
     .size = 2, .label = "Referenced Handle"},
    {.selector = "/PROCADDINFOLENGTH", .type = 44, .decode = FieldDecode::Number, .at = 0x06,
     .kind = FieldKind::Number, .label = "Block Length"},
    {.selector = "/PROCADDINFOTYPE", .type = 44, .decode = FieldDecode::Name, .at = 0x07,
     .names = &names::kProcessorArchitecture, .label = "Processor Type"},
    {.selector = "/PROCADDINFODATA", .type = 44, .decode = FieldDecode::Special, .at = 0x06,
     .size = 2, .special = ProcessorSpecificData, .label = "Processor-Specific Data"},
    {.selector = "/PROCADDINFODUMP", .type = 44, .decode = FieldDecode::Special, .size = 4,
     .name = "Header and Data", .kind = FieldKind::List, .special = HeaderAndData},
    {.selector = "/PROCADDINFOSTRINGS", .type = 44, .decode = FieldDecode::Special, .size = 4,
     .name = "Strings", .kind = FieldKind::List, .special = StringSet},
};

}  // namespace

extern const StructureGroup kType44Group{
    .selector = "/PROCADDINFO", .type = 44, .heading = "Processor Additional Information",
    .what = "processor additional information",
    .rows = kProcessorInfoRows, .rowCount = std::size(kProcessorInfoRows)};

}  // namespace tarnlix
