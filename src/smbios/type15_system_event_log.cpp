// SMBIOS 3.9, 7.16 System Event Log (Type 15)
#include "acquire/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

// The header is whatever lies between its start and the data's; a log
// whose data starts first has none.
bool LogHeaderLength(const FieldRow&, const StructureView& s, FieldValue& value) {
  uint16_t header = ReadLe16(s.bytes + 0x06);
  uint16_t data = ReadLe16(s.bytes + 0x08);
  if (data <= header) return false;
  value.SetNumber(data - header);
  return true;
}

// Where the log is reached depends on how: two I/O ports, a physical
// address, or the handle of the non-volatile data functions.
bool LogAccessAddress(const FieldRow&, const StructureView& s, FieldValue& value) {
  const uint8_t* address = s.bytes + 0x10;
  switch (s.bytes[0x0A]) {
    case 0x00:
    case 0x01:
    case 0x02:
      value.BeginText();
      value.Append("Index ");
      value.AppendHex(ReadLe16(address), 4);
      value.Append(", Data ");
      value.AppendHex(ReadLe16(address + 2), 4);
      return true;
    case 0x03:
      value.BeginText();
      value.AppendHex(ReadLe32(address), 8);
      return true;
    case 0x04:
      value.BeginText();
      value.AppendHex(ReadLe16(address), 4);
      return true;
    default:
      return false;  // an OEM's own method
  }
}

bool LogStatus(const FieldRow&, const StructureView& s, FieldValue& value) {
  uint8_t status = s.bytes[0x0B];
  value.BeginText();
  value.Append(status & 0x01 ? "Valid" : "Invalid");
  value.Append(status & 0x02 ? ", Full" : ", Not Full");
  return true;
}

// One item per supported log type, the byte at row.at - 0x17 of each
// descriptor named by row.names. Descriptors shorter than the type and its
// format, or not all in the structure, are not read. A code without a name
// keeps its place so that item N stays descriptor N.
bool LogTypeDescriptors(const FieldRow& row, const StructureView& s, FieldValue& value) {
  uint8_t count = s.bytes[0x15];
  uint8_t size = s.bytes[0x16];
  if (size < 2 || !s.Has(0x17, size_t{count} * size)) return false;
  value.BeginList();
  for (size_t i = 0; i < count; ++i) {
    const char* name = row.names->Find(s.bytes[row.at + i * size]);
    value.Item(name != nullptr ? name : kUnnamedCode);
  }
  return true;
}

constexpr FieldRow kEventLogRows[] = {
    {.selector = "/EVENTLOGAREALEN", .type = 15, .decode = FieldDecode::Number, .at = 0x04,
     .size = 2, .since = 0x14, .name = "Area Length", .unit = "bytes",
     .kind = FieldKind::Number},
    {.selector = "/EVENTLOGHEADERSTART", .type = 15, .decode = FieldDecode::Hex, .at = 0x06,
     .size = 2, .since = 0x14, .name = "Header Start Offset"},
    {.selector = "/EVENTLOGHEADERLEN", .type = 15, .decode = FieldDecode::Special, .at = 0x06,
     .size = 4, .since = 0x14, .name = "Header Length", .unit = "bytes",
     .kind = FieldKind::Number, .special = LogHeaderLength},
    {.selector = "/EVENTLOGDATASTART", .type = 15, .decode = FieldDecode::Hex, .at = 0x08,
     .size = 2, .since = 0x14, .name = "Data Start Offset"},
    {.selector = "/EVENTLOGMETHOD", .type = 15, .decode = FieldDecode::Name, .at = 0x0A,
     .since = 0x14, .name = "Access Method", .names = &names::kEventLogMethod},
    {.selector = "/EVENTLOGADDRESS", .type = 15, .decode = FieldDecode::Special, .at = 0x10,
     .size = 4, .since = 0x14, .name = "Access Address", .special = LogAccessAddress},
    {.selector = "/EVENTLOGSTATUS", .type = 15, .decode = FieldDecode::Special, .at = 0x0B,
     .since = 0x14, .name = "Status", .special = LogStatus, .varies = true},
    {.selector = "/EVENTLOGTOKEN", .type = 15, .decode = FieldDecode::Hex, .at = 0x0C,
     .size = 4, .since = 0x14, .name = "Change Token", .varies = true},
    {.selector = "/EVENTLOGHEADERFORMAT", .type = 15, .decode = FieldDecode::Name, .at = 0x14,
     .since = 0x17, .name = "Header Format", .names = &names::kEventLogHeaderType},
    {.selector = "/EVENTLOGTYPECOUNT", .type = 15, .decode = FieldDecode::Number, .at = 0x15,
     .since = 0x17, .name = "Supported Log Type Descriptors", .kind = FieldKind::Number},
    {.selector = "/EVENTLOGTYPESIZE", .type = 15, .decode = FieldDecode::Number, .at = 0x16,
     .since = 0x17, .unit = "bytes", .kind = FieldKind::Number,
     .label = "Log Type Descriptor Length"},
    {.selector = "/EVENTLOGTYPES", .type = 15, .decode = FieldDecode::Special, .at = 0x17,
     .size = 0, .since = 0x17, .name = "Descriptor N", .kind = FieldKind::List,
     .names = &names::kEventLogDescriptorType, .special = LogTypeDescriptors},
    {.selector = "/EVENTLOGFORMATS", .type = 15, .decode = FieldDecode::Special, .at = 0x18,
     .size = 0, .since = 0x17, .name = "Data Format N", .kind = FieldKind::List,
     .names = &names::kEventLogDescriptorFormat, .special = LogTypeDescriptors},
};

}  // namespace

extern const StructureGroup kType15Group{
    .selector = "/EVENTLOG", .type = 15, .heading = "System Log",
    .what = "system event log",
    .rows = kEventLogRows, .rowCount = std::size(kEventLogRows)};

}  // namespace tarnlix
