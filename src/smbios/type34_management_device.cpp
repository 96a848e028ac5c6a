// SMBIOS 3.9, 7.35 Management Device (Type 34)
#include "acquire/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

// Some firmware gives a management device a length of 16 where it holds
// 11 bytes: its strings begin at 0x0B, and the five bytes in between read
// as text. Such a structure is read as the 11 bytes it holds.
bool ManagementDeviceDescription(const FieldRow& row, const StructureView& s,
                                 FieldValue& value) {
  constexpr size_t kRealLength = 0x0B;
  StructureView view = s;
  bool text = s.length == 0x10;
  for (size_t i = kRealLength; text && i < s.length; ++i) {
    text = s.bytes[i] >= 0x20 && s.bytes[i] <= 0x7E;
  }
  if (text) {
    view.strings = s.bytes + kRealLength;
    view.index = nullptr;  // the strings start elsewhere
    view.stringsLength = s.stringsLength + (s.length - kRealLength);
  }
  value.SetText(view.String(s.bytes[row.at]));
  return true;
}

constexpr FieldRow kManagementDeviceRows[] = {
    {.selector = "/MGMTDEVICEDESC", .type = 34, .decode = FieldDecode::Special, .at = 0x04,
     .name = "Description", .special = ManagementDeviceDescription, .identifies = true},
    {.selector = "/MGMTDEVICETYPE", .type = 34, .decode = FieldDecode::Name, .at = 0x05,
     .name = "Type", .names = &names::kManagementDeviceType},
    {.selector = "/MGMTDEVICEADDRESS", .type = 34, .decode = FieldDecode::Hex, .at = 0x06,
     .size = 4, .name = "Address"},
    {.selector = "/MGMTDEVICEADDRTYPE", .type = 34, .decode = FieldDecode::Name, .at = 0x0A,
     .name = "Address Type", .names = &names::kManagementDeviceAddressType},
};

}  // namespace

extern const StructureGroup kType34Group{
    .selector = "/MGMTDEVICE", .type = 34, .heading = "Management Device",
    .what = "management device",
    .rows = kManagementDeviceRows, .rowCount = std::size(kManagementDeviceRows)};

}  // namespace tarnlix
