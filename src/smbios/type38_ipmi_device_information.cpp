// SMBIOS 3.9, 7.39 IPMI Device Information (Type 38)
#include "acquire/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

// Type 38. The interface, whose SMBus form (SSIF) has a slave address
// instead of a base address and no register spacing or interrupt mode.
constexpr uint8_t kSsif = 0x04;

// Four bits of major version, four of minor.
bool IpmiRevision(const FieldRow& row, const StructureView& s, FieldValue& value) {
  value.BeginText();
  value.AppendDecimal(s.bytes[row.at] >> 4);
  value.Append('.');
  value.AppendDecimal(s.bytes[row.at] & 0x0F);
  return true;
}

// A seven-bit I2C address, stored shifted left by one.
bool IpmiSlaveAddress(const FieldRow& row, const StructureView& s, FieldValue& value) {
  value.BeginText();
  value.AppendHex(s.bytes[row.at] >> 1, 2, true);
  return true;
}

// Bit 0 of the stored address says I/O space; the address's own bit 0 is
// bit 4 of the modifier byte, where the structure has it.
bool IpmiBaseAddress(const FieldRow&, const StructureView& s, FieldValue& value) {
  uint64_t address = ReadLe64(s.bytes + 0x08);
  value.BeginText();
  if (s.bytes[0x04] == kSsif) {
    value.AppendHex((address >> 1) & 0x7F, 2, true);
    value.Append(" (SMBus)");
    return true;
  }
  bool io = (address & 1) != 0;
  address &= ~uint64_t{1};
  if (s.Has(0x10, 1)) address |= (s.bytes[0x10] >> 4) & 1;
  value.AppendHex(address, 16);
  value.Append(io ? " (I/O)" : " (Memory-mapped)");
  return true;
}

bool IpmiRegisterSpacing(const FieldRow&, const StructureView& s, FieldValue& value) {
  if (s.bytes[0x04] == kSsif) return false;
  const char* name = names::kIpmiRegisterSpacing.Find(s.bytes[0x10] >> 6);
  if (name == nullptr) return false;
  value.SetText(name);
  return true;
}

// The polarity and trigger mode mean something only when bit 3 says the
// interrupt is described.
bool IpmiInterruptMode(const FieldRow& row, const StructureView& s, FieldValue& value) {
  uint8_t modifier = s.bytes[0x10];
  if (s.bytes[0x04] == kSsif || (modifier & 0x08) == 0) return false;
  value.SetText(row.names->Find((modifier >> row.shift) & row.mask));
  return true;
}

inline constexpr CodeName kPolarityEntries[] = {{0, "Active Low"}, {1, "Active High"}};

inline constexpr NameTable kPolarityNames{kPolarityEntries, 2};

inline constexpr CodeName kTriggerEntries[] = {{0, "Edge"}, {1, "Level"}};

inline constexpr NameTable kTriggerNames{kTriggerEntries, 2};

// An NV storage device address of all ones: there is none.
bool NvStorageDevice(const FieldRow& row, const StructureView& s, FieldValue& value) {
  value.SetLasting(s.bytes[row.at] == 0xFF ? "Not Present" : "Present");
  return true;
}

constexpr FieldRow kIpmiRows[] = {
    {.selector = "/IPMIINTERFACE", .type = 38, .decode = FieldDecode::Name, .at = 0x04,
     .name = "Interface Type", .names = &names::kIpmiInterfaceType},
    {.selector = "/IPMISPECVER", .type = 38, .decode = FieldDecode::Special, .at = 0x05,
     .name = "Specification Version", .special = IpmiRevision,
     .about = "Version of IPMI the controller implements"},
    {.selector = "/IPMII2CADDRESS", .type = 38, .decode = FieldDecode::Special, .at = 0x06,
     .name = "I2C Slave Address", .special = IpmiSlaveAddress},
    // All ones: no NV storage device, which dmidecode labels
    // "NV Storage Device: Not Present".
    {.selector = "/IPMINVSTORAGE", .type = 38, .decode = FieldDecode::Number, .at = 0x07,
     .name = "NV Storage Device Address", .kind = FieldKind::Number, .none = kNoneIfAllOnes},
    {.selector = "/IPMINVSTORAGEDEVICE", .type = 38, .decode = FieldDecode::Special, .at = 0x07,
     .name = "NV Storage Device", .special = NvStorageDevice},
    {.selector = "/IPMIADDRESS", .type = 38, .decode = FieldDecode::Special, .at = 0x08,
     .size = 8, .name = "Base Address", .special = IpmiBaseAddress},
    {.selector = "/IPMIREGSPACING", .type = 38, .decode = FieldDecode::Special, .at = 0x10,
     .since = 0x12, .name = "Register Spacing", .special = IpmiRegisterSpacing},
    {.selector = "/IPMIINTPOLARITY", .type = 38, .decode = FieldDecode::Special, .at = 0x10,
     .since = 0x12, .name = "Interrupt Polarity", .names = &kPolarityNames, .shift = 1,
     .mask = 1, .special = IpmiInterruptMode},
    {.selector = "/IPMIINTTRIGGER", .type = 38, .decode = FieldDecode::Special, .at = 0x10,
     .since = 0x12, .name = "Interrupt Trigger Mode", .names = &kTriggerNames, .shift = 0,
     .mask = 1, .special = IpmiInterruptMode},
    {.selector = "/IPMIINTNUMBER", .type = 38, .decode = FieldDecode::Number, .at = 0x11,
     .name = "Interrupt Number", .kind = FieldKind::Number, .none = kNoneIfZero},
};

}  // namespace

extern const StructureGroup kType38Group{
    .selector = "/IPMI", .type = 38, .heading = "IPMI Device Information",
    .what = "IPMI device",
    .rows = kIpmiRows, .rowCount = std::size(kIpmiRows)};

}  // namespace tarnlix
