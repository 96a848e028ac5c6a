// SMBIOS 3.9, 7.42 Onboard Devices Extended Information (Type 41)
#include "acquire/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

// Type 41. Segment, bus and device/function all ones: no PCI address.
bool OnboardBusAddress(const FieldRow&, const StructureView& s, FieldValue& value) {
  uint16_t segment = ReadLe16(s.bytes + 0x07);
  uint8_t bus = s.bytes[0x09];
  uint8_t devfn = s.bytes[0x0A];
  if (segment == 0xFFFF && bus == 0xFF && devfn == 0xFF) return false;
  // ssss:bb:dd.f
  value.BeginText();
  value.AppendHexDigits(segment, 4, true);
  value.Append(':');
  value.AppendHexDigits(bus, 2, true);
  value.Append(':');
  value.AppendHexDigits(devfn >> 3, 2, true);
  value.Append('.');
  value.AppendHexDigits(devfn & 0x7, 1, true);
  return true;
}

inline constexpr CodeName kEnabledEntries[] = {{0, "Disabled"}, {1, "Enabled"}};

inline constexpr NameTable kEnabledNames{kEnabledEntries, 2};

constexpr FieldRow kOnboardRows[] = {
    {.selector = "/ONBOARDREF", .type = 41, .decode = FieldDecode::String, .at = 0x04,
     .name = "Reference Designation", .identifies = true},
    {.selector = "/ONBOARDTYPE", .type = 41, .decode = FieldDecode::Name, .at = 0x05,
     .name = "Type", .names = &names::kOnboardDeviceType, .mask = 0x7F},
    {.selector = "/ONBOARDSTATUS", .type = 41, .decode = FieldDecode::Name, .at = 0x05,
     .name = "Status", .names = &kEnabledNames, .shift = 7, .mask = 1},
    {.selector = "/ONBOARDINSTANCE", .type = 41, .decode = FieldDecode::Number, .at = 0x06,
     .name = "Type Instance", .kind = FieldKind::Number},
    {.selector = "/ONBOARDBUSADDRESS", .type = 41, .decode = FieldDecode::Special, .at = 0x07,
     .size = 4, .name = "Bus Address", .special = OnboardBusAddress},
    // The parts of the bus address; all ones where the device is not on PCI.
    {.selector = "/ONBOARDSEGMENT", .type = 41, .decode = FieldDecode::Number, .at = 0x07,
     .size = 2, .kind = FieldKind::Number, .none = kNoneIfAllOnes,
     .label = "Segment Group Number"},
    {.selector = "/ONBOARDBUS", .type = 41, .decode = FieldDecode::Number, .at = 0x09,
     .kind = FieldKind::Number, .none = kNoneIfAllOnes, .label = "Bus Number"},
    {.selector = "/ONBOARDDEVFN", .type = 41, .decode = FieldDecode::Number, .at = 0x0A,
     .kind = FieldKind::Number, .none = kNoneIfAllOnes, .label = "Device/Function Number"},
};

}  // namespace

extern const StructureGroup kType41Group{
    .selector = "/ONBOARD", .type = 41, .heading = "Onboard Device",
    .what = "on-board device",
    .rows = kOnboardRows, .rowCount = std::size(kOnboardRows)};

}  // namespace tarnlix
