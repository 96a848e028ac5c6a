// SMBIOS 3.9, 7.46 Firmware Inventory Information (Type 45)
#include "acquire/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

// Type 45. All ones: the size is not known; 0: there is no image.
bool FirmwareImageSize(const FieldRow&, const StructureView& s, FieldValue& value) {
  uint64_t bytes = ReadLe64(s.bytes + 0x0C);
  if (bytes == 0 || bytes == ~uint64_t{0}) return false;
  uint64_t kilobytes = ShownSize(bytes, kBytes, kKilobytes);
  if (kilobytes == 0) return false;  // below a kB
  value.SetNumber(kilobytes);
  return true;
}

bool FirmwareCharacteristics(const FieldRow&, const StructureView& s, FieldValue& value) {
  uint16_t bits = ReadLe16(s.bytes + 0x14);
  value.BeginList();
  value.Append("Updatable: ");
  value.Append(bits & 1 ? "Yes" : "No");
  value.EndItem();
  value.Append("Write-Protect: ");
  value.Append(bits & 2 ? "Yes" : "No");
  value.EndItem();
  return true;
}

// The handles of the components the firmware belongs to, listed only when
// the structure holds them all.
bool FirmwareComponents(const FieldRow&, const StructureView& s, FieldValue& value) {
  uint8_t count = s.bytes[0x17];
  if (!s.Has(0x18, 2 * size_t{count})) return false;
  value.BeginList();
  for (uint8_t i = 0; i < count; ++i) {
    value.AppendHex(ReadLe16(s.bytes + 0x18 + 2 * i), 4);
    value.EndItem();
  }
  return true;
}

constexpr FieldRow kFirmwareRows[] = {
    {.selector = "/FIRMWARENAME", .type = 45, .decode = FieldDecode::String, .at = 0x04,
     .name = "Firmware Component Name", .identifies = true},
    {.selector = "/FIRMWAREVER", .type = 45, .decode = FieldDecode::String, .at = 0x05,
     .name = "Firmware Version"},
    {.selector = "/FIRMWAREVERFORMAT", .type = 45, .decode = FieldDecode::Name, .at = 0x06,
     .names = &names::kFirmwareVersionFormat, .label = "Version Format"},
    {.selector = "/FIRMWAREID", .type = 45, .decode = FieldDecode::String, .at = 0x07,
     .name = "Firmware ID"},
    {.selector = "/FIRMWAREIDFORMAT", .type = 45, .decode = FieldDecode::Name, .at = 0x08,
     .names = &names::kFirmwareIdFormat, .label = "Firmware ID Format"},
    {.selector = "/FIRMWAREDATE", .type = 45, .decode = FieldDecode::String, .at = 0x09,
     .name = "Release Date"},
    {.selector = "/FIRMWAREMAN", .type = 45, .decode = FieldDecode::String, .at = 0x0A,
     .name = "Manufacturer"},
    {.selector = "/FIRMWARELOWEST", .type = 45, .decode = FieldDecode::String, .at = 0x0B,
     .name = "Lowest Supported Firmware Version"},
    {.selector = "/FIRMWARESIZE", .type = 45, .decode = FieldDecode::Special, .at = 0x0C,
     .size = 8, .name = "Image Size", .unit = "kB", .kind = FieldKind::Number,
     .special = FirmwareImageSize},
    {.selector = "/FIRMWARECHARS", .type = 45, .decode = FieldDecode::Special, .at = 0x14,
     .size = 2, .name = "Characteristics", .kind = FieldKind::List,
     .special = FirmwareCharacteristics},
    {.selector = "/FIRMWARESTATE", .type = 45, .decode = FieldDecode::Name, .at = 0x16,
     .name = "State", .names = &names::kFirmwareInventoryState},
    {.selector = "/FIRMWARECOMPONENTS", .type = 45, .decode = FieldDecode::Special, .at = 0x17,
     .name = "Associated Components", .kind = FieldKind::List, .special = FirmwareComponents,
     .refersToHandle = true},
};

}  // namespace

extern const StructureGroup kType45Group{
    .selector = "/FIRMWARE", .type = 45, .heading = "Firmware Inventory Information",
    .what = "firmware inventory",
    .rows = kFirmwareRows, .rowCount = std::size(kFirmwareRows)};

}  // namespace tarnlix
