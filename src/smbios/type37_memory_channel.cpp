// SMBIOS 3.9, 7.38 Memory Channel (Type 37)
#include "acquire/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

// Each memory device on the channel is its load and its handle (row.at is
// where the first device's load or handle lies), listed only when the
// structure holds them all.
bool ChannelDevices(const FieldRow& row, const StructureView& s, FieldValue& value) {
  uint8_t count = s.bytes[0x06];
  if (!s.Has(0x07, 3 * size_t{count})) return false;
  value.BeginList();
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* device = s.bytes + 0x07 + 3 * i;
    if (row.at == 0x07) {
      value.AppendDecimal(device[0]);
    } else {
      value.AppendHex(ReadLe16(device + 1), 4);
    }
    value.EndItem();
  }
  return true;
}

constexpr FieldRow kMemoryChannelRows[] = {
    {.selector = "/MEMCHANNELTYPE", .type = 37, .decode = FieldDecode::Name, .at = 0x04,
     .since = 0x07, .name = "Type", .names = &names::kMemoryChannelType},
    {.selector = "/MEMCHANNELMAXLOAD", .type = 37, .decode = FieldDecode::Number, .at = 0x05,
     .since = 0x07, .name = "Maximal Load", .kind = FieldKind::Number},
    {.selector = "/MEMCHANNELDEVICES", .type = 37, .decode = FieldDecode::Number, .at = 0x06,
     .name = "Devices", .kind = FieldKind::Number},
    // dmidecode numbers these lines in the middle of their labels ("Device
    // 1 Load"), and reads each device from where the next one starts.
    {.selector = "/MEMCHANNELLOADS", .type = 37, .decode = FieldDecode::Special, .at = 0x07,
     .size = 0, .since = 0x07, .name = "Device N Load", .kind = FieldKind::List,
     .special = ChannelDevices, .label = "Device Loads"},
    {.selector = "/MEMCHANNELHANDLES", .type = 37, .decode = FieldDecode::Special, .at = 0x08,
     .size = 0, .since = 0x07, .name = "Device N Handle", .kind = FieldKind::List,
     .special = ChannelDevices, .label = "Device Handles", .refersToHandle = true},
};

}  // namespace

extern const StructureGroup kType37Group{
    .selector = "/MEMCHANNEL", .type = 37, .heading = "Memory Channel",
    .what = "memory channel",
    .rows = kMemoryChannelRows, .rowCount = std::size(kMemoryChannelRows)};

}  // namespace tarnlix
