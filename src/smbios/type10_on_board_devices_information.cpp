// SMBIOS 3.9, 7.11 On Board Devices Information (Obsolete) (Type 10)
#include "acquire/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

// Where a list keeps one item per entry the structure declares, an entry
// with nothing behind it reads as dmidecode marks it, so that the items of
// parallel lists stay in step.
constexpr const char kNoString[] = "Not Specified";

void AppendString(const StructureView& s, uint8_t number, FieldValue& value) {
  if (number == 0) {
    value.Append(kNoString);
  } else if (!s.HasString(number)) {
    value.Append(kBadString);
  } else {
    value.Append(s.String(number));
  }
}

// Two bytes a device: its type (the top bit says enabled) and its
// description string.
size_t DeviceCount(const StructureView& s) { return (s.length - 4) / 2; }

bool DeviceTypes(const FieldRow&, const StructureView& s, FieldValue& value) {
  value.BeginList();
  for (size_t i = 0; i < DeviceCount(s); ++i) {
    const char* name = names::kOnBoardDeviceType.Find(s.bytes[0x04 + 2 * i] & 0x7F);
    value.Item(name != nullptr ? name : kUnnamedCode);
  }
  return true;
}

bool DeviceStatuses(const FieldRow&, const StructureView& s, FieldValue& value) {
  value.BeginList();
  for (size_t i = 0; i < DeviceCount(s); ++i) {
    value.Item(s.bytes[0x04 + 2 * i] & 0x80 ? "Enabled" : "Disabled");
  }
  return true;
}

bool DeviceDescriptions(const FieldRow&, const StructureView& s, FieldValue& value) {
  value.BeginList();
  for (size_t i = 0; i < DeviceCount(s); ++i) {
    AppendString(s, s.bytes[0x05 + 2 * i], value);
    value.EndItem();
  }
  return true;
}

constexpr FieldRow kDeviceRows[] = {
    {.selector = "/DEVICEDESC", .type = 10, .decode = FieldDecode::String, .at = 0x05, .place = 1,
     .label = "Description"},
    {.selector = "/DEVICETYPE", .type = 10, .decode = FieldDecode::Special, .at = 0x04,
     .since = 0x06, .name = "Type", .kind = FieldKind::List, .special = DeviceTypes},
    {.selector = "/DEVICESTATUS", .type = 10, .decode = FieldDecode::Special, .at = 0x04,
     .since = 0x06, .name = "Status", .kind = FieldKind::List, .special = DeviceStatuses},
    {.selector = "/DEVICEDESCRIPTIONS", .type = 10, .decode = FieldDecode::Special, .at = 0x05,
     .name = "Description", .kind = FieldKind::List, .special = DeviceDescriptions},
};

}  // namespace

extern const StructureGroup kType10Group{
    .selector = "/DEVICE", .type = 10, .heading = "Physical Memory",
    .what = "on-board devices (obsolete)",
    .rows = kDeviceRows, .rowCount = std::size(kDeviceRows)};

}  // namespace tarnlix
