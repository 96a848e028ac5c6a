// The system event log (type 15), memory errors (18, 33), pointing
// devices (21), the portable battery (22), system reset (23), hardware
// security (24), system power controls (25) and memory channels (37).
#include "smbios/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

void AppendHexDigits(uint32_t value, int digits, FieldValue& out) {
  static const char kHex[] = "0123456789ABCDEF";
  for (int i = digits - 1; i >= 0; --i) out.Append(kHex[(value >> (4 * i)) & 0xF]);
}

void AppendTwoDigits(uint32_t value, FieldValue& out) {
  if (value < 10) out.Append('0');
  out.AppendDecimal(value);
}

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

// A memory error address: the top bit alone says unknown.
bool ErrorHex(const FieldRow& row, const StructureView& s, FieldValue& value) {
  uint64_t raw = row.size == 8 ? ReadLe64(s.bytes + row.at) : ReadLe32(s.bytes + row.at);
  if (raw == uint64_t{1} << (8 * row.size - 1)) return false;
  value.BeginText();
  value.AppendHex(raw, 2 * row.size);
  return true;
}

// In bytes; 0x80000000 says unknown.
bool ErrorResolution(const FieldRow& row, const StructureView& s, FieldValue& value) {
  uint32_t bytes = ReadLe32(s.bytes + row.at);
  if (bytes == 0x80000000u) return false;
  value.SetNumber(bytes);
  return true;
}

// The design capacity, times the multiplier where the structure has one;
// 0 says it is unknown.
bool BatteryCapacity(const FieldRow&, const StructureView& s, FieldValue& value) {
  uint16_t capacity = ReadLe16(s.bytes + 0x0A);
  if (capacity == 0) return false;
  uint32_t multiplier = s.Has(0x15, 1) ? s.bytes[0x15] : 1;
  value.SetNumber(uint64_t{capacity} * multiplier);
  return true;
}

// The smart battery's serial number and date count only when the string
// fields they stand in for are 0.
bool BatterySbdsSerial(const FieldRow&, const StructureView& s, FieldValue& value) {
  if (s.bytes[0x07] != 0) return false;
  value.BeginText();
  AppendHexDigits(ReadLe16(s.bytes + 0x10), 4, value);
  return true;
}

// Packed as in FAT: years since 1980, month and day.
bool BatterySbdsDate(const FieldRow&, const StructureView& s, FieldValue& value) {
  if (s.bytes[0x06] != 0) return false;
  uint16_t date = ReadLe16(s.bytes + 0x12);
  value.BeginText();
  value.AppendDecimal(1980u + (date >> 9));
  value.Append('-');
  AppendTwoDigits((date >> 5) & 0x0F, value);
  value.Append('-');
  AppendTwoDigits(date & 0x1F, value);
  return true;
}

// Next power-on date and time parts are BCD; one outside its range (0xFF
// among them) is not set.
struct BcdPart {
  uint8_t at;
  uint8_t low;
  uint8_t high;
};
constexpr BcdPart kPowerOnParts[] = {
    {0x04, 1, 12}, {0x05, 1, 31}, {0x06, 0, 23}, {0x07, 0, 59}, {0x08, 0, 59}};

bool BcdValue(const StructureView& s, const BcdPart& part, uint8_t* out) {
  uint8_t bcd = s.bytes[part.at];
  if ((bcd >> 4) > 9 || (bcd & 0x0F) > 9) return false;
  uint8_t decimal = static_cast<uint8_t>((bcd >> 4) * 10 + (bcd & 0x0F));
  if (decimal < part.low || decimal > part.high) return false;
  *out = decimal;
  return true;
}

bool PowerOnPart(const FieldRow& row, const StructureView& s, FieldValue& value) {
  uint8_t decimal;
  if (!BcdValue(s, kPowerOnParts[row.at - 0x04], &decimal)) return false;
  value.SetNumber(decimal);
  return true;
}

// "MM-DD hh:mm:ss", a star for each part that is not set.
bool PowerOnNext(const FieldRow&, const StructureView& s, FieldValue& value) {
  static const char kSeparators[] = {'-', ' ', ':', ':'};
  value.BeginText();
  for (size_t i = 0; i < std::size(kPowerOnParts); ++i) {
    if (i > 0) value.Append(kSeparators[i - 1]);
    uint8_t decimal;
    if (BcdValue(s, kPowerOnParts[i], &decimal)) {
      AppendTwoDigits(decimal, value);
    } else {
      value.Append('*');
    }
  }
  return true;
}

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

inline constexpr CodeName kEnabledEntries[] = {{0, "Disabled"}, {1, "Enabled"}};
inline constexpr NameTable kEnabledNames{kEnabledEntries, 2};
inline constexpr CodeName kPresentEntries[] = {{1, "Present"}};
inline constexpr NameTable kPresentNames{kPresentEntries, 1};

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
     .since = 0x14, .name = "Status", .special = LogStatus},
    {.selector = "/EVENTLOGTOKEN", .type = 15, .decode = FieldDecode::Hex, .at = 0x0C,
     .size = 4, .since = 0x14, .name = "Change Token"},
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

// The 32-bit and 64-bit memory errors differ in the width of their
// addresses; dmidecode reads neither from a structure shorter than the
// whole.
constexpr FieldRow kMemoryErrorRows[] = {
    {.selector = "/MEMERRORTYPE", .type = 18, .decode = FieldDecode::Name, .at = 0x04,
     .since = 0x17, .name = "Type", .names = &names::kMemoryErrorType},
    {.selector = "/MEMERRORGRANULARITY", .type = 18, .decode = FieldDecode::Name, .at = 0x05,
     .since = 0x17, .name = "Granularity", .names = &names::kMemoryErrorGranularity},
    {.selector = "/MEMERROROPERATION", .type = 18, .decode = FieldDecode::Name, .at = 0x06,
     .since = 0x17, .name = "Operation", .names = &names::kMemoryErrorOperation},
    {.selector = "/MEMERRORSYNDROME", .type = 18, .decode = FieldDecode::Hex, .at = 0x07,
     .size = 4, .since = 0x17, .name = "Vendor Syndrome", .none = kNoneIfZero},
    {.selector = "/MEMERRORARRAYADDR", .type = 18, .decode = FieldDecode::Special, .at = 0x0B,
     .size = 4, .since = 0x17, .name = "Memory Array Address", .special = ErrorHex},
    {.selector = "/MEMERRORDEVICEADDR", .type = 18, .decode = FieldDecode::Special, .at = 0x0F,
     .size = 4, .since = 0x17, .name = "Device Address", .special = ErrorHex},
    // A range in bytes, which dmidecode writes in hexadecimal: no number
    // reads as that.
    {.selector = "/MEMERRORRESOLUTION", .type = 18, .decode = FieldDecode::Special, .at = 0x13,
     .size = 4, .since = 0x17, .unit = "bytes", .kind = FieldKind::Number,
     .special = ErrorResolution, .label = "Resolution"},
};

constexpr FieldRow kMemoryError64Rows[] = {
    {.selector = "/MEMERROR64TYPE", .type = 33, .decode = FieldDecode::Name, .at = 0x04,
     .since = 0x1F, .name = "Type", .names = &names::kMemoryErrorType},
    {.selector = "/MEMERROR64GRANULARITY", .type = 33, .decode = FieldDecode::Name, .at = 0x05,
     .since = 0x1F, .name = "Granularity", .names = &names::kMemoryErrorGranularity},
    {.selector = "/MEMERROR64OPERATION", .type = 33, .decode = FieldDecode::Name, .at = 0x06,
     .since = 0x1F, .name = "Operation", .names = &names::kMemoryErrorOperation},
    {.selector = "/MEMERROR64SYNDROME", .type = 33, .decode = FieldDecode::Hex, .at = 0x07,
     .size = 4, .since = 0x1F, .name = "Vendor Syndrome", .none = kNoneIfZero},
    {.selector = "/MEMERROR64ARRAYADDR", .type = 33, .decode = FieldDecode::Special, .at = 0x0B,
     .size = 8, .since = 0x1F, .name = "Memory Array Address", .special = ErrorHex},
    {.selector = "/MEMERROR64DEVICEADDR", .type = 33, .decode = FieldDecode::Special,
     .at = 0x13, .size = 8, .since = 0x1F, .name = "Device Address", .special = ErrorHex},
    {.selector = "/MEMERROR64RESOLUTION", .type = 33, .decode = FieldDecode::Special,
     .at = 0x1B, .size = 4, .since = 0x1F, .unit = "bytes", .kind = FieldKind::Number,
     .special = ErrorResolution, .label = "Resolution"},
};

constexpr FieldRow kPointingRows[] = {
    {.selector = "/POINTINGTYPE", .type = 21, .decode = FieldDecode::Name, .at = 0x04,
     .since = 0x07, .name = "Type", .names = &names::kPointingDeviceType},
    {.selector = "/POINTINGINTERFACE", .type = 21, .decode = FieldDecode::Name, .at = 0x05,
     .since = 0x07, .name = "Interface", .names = &names::kPointingDeviceInterface},
    {.selector = "/POINTINGBUTTONS", .type = 21, .decode = FieldDecode::Number, .at = 0x06,
     .name = "Buttons", .kind = FieldKind::Number},
};

// The design's maximum error in the battery's readings, in percent; 0xFF
// means unknown.
bool BatteryMaximumError(const FieldRow& row, const StructureView& s, FieldValue& value) {
  uint8_t percent = s.bytes[row.at];
  if (percent == 0xFF) return false;
  value.BeginText();
  value.AppendDecimal(percent);
  value.Append('%');
  return true;
}

constexpr FieldRow kBatteryRows[] = {
    Slot("/BATLOC", 22, 0, "Location"),
    Slot("/BATMAN", 22, 1, "Manufacturer"),
    Slot("/BATDATE", 22, 2, "Manufacture Date"),
    Slot("/BATSERIAL", 22, 3, "Serial Number"),
    Slot("/BATNAME", 22, 4, "Name"),
    Slot("/BATVER", 22, 5, "SBDS Version"),
    Slot("/BATCHEM", 22, 6, "SBDS Chemistry"),
    // dmidecode reads none of these from a structure shorter than the 2.1
    // one. The smart battery chemistry string stands in for "Unknown",
    // which has no name here.
    {.selector = "/BATCHEMISTRY", .type = 22, .decode = FieldDecode::Name, .at = 0x09,
     .since = 0x10, .name = "Chemistry", .names = &names::kBatteryChemistry},
    {.selector = "/BATCAPACITY", .type = 22, .decode = FieldDecode::Special, .at = 0x0A,
     .size = 2, .since = 0x10, .name = "Design Capacity", .unit = "mWh",
     .kind = FieldKind::Number, .special = BatteryCapacity},
    {.selector = "/BATVOLTAGE", .type = 22, .decode = FieldDecode::Number, .at = 0x0C,
     .size = 2, .since = 0x10, .name = "Design Voltage", .unit = "mV",
     .kind = FieldKind::Number, .none = kNoneIfZero},
    // A percentage: a text as dmidecode writes it ("2%"), like every
    // percentage the table holds.
    {.selector = "/BATMAXERROR", .type = 22, .decode = FieldDecode::Special, .at = 0x0F,
     .since = 0x10, .name = "Maximum Error", .special = BatteryMaximumError},
    {.selector = "/BATSBDSSERIAL", .type = 22, .decode = FieldDecode::Special, .at = 0x10,
     .size = 2, .since = 0x1A, .name = "SBDS Serial Number", .special = BatterySbdsSerial},
    {.selector = "/BATSBDSDATE", .type = 22, .decode = FieldDecode::Special, .at = 0x12,
     .size = 2, .since = 0x1A, .name = "SBDS Manufacture Date", .special = BatterySbdsDate},
    {.selector = "/BATCAPMULTIPLIER", .type = 22, .decode = FieldDecode::Number, .at = 0x15,
     .kind = FieldKind::Number, .label = "Design Capacity Multiplier"},
    {.selector = "/BATOEM", .type = 22, .decode = FieldDecode::Hex, .at = 0x16, .size = 4,
     .name = "OEM-specific Information"},
};

// dmidecode reads nothing of a structure shorter than the whole. Without a
// watchdog it shows only the first two, but the rest keep their meaning.
constexpr FieldRow kResetRows[] = {
    {.selector = "/RESETSTATUS", .type = 23, .decode = FieldDecode::Name, .at = 0x04,
     .since = 0x0D, .name = "Status", .names = &kEnabledNames, .mask = 0x01},
    {.selector = "/RESETWATCHDOG", .type = 23, .decode = FieldDecode::Name, .at = 0x04,
     .since = 0x0D, .name = "Watchdog Timer", .names = &kPresentNames, .shift = 5,
     .mask = 0x01},
    {.selector = "/RESETBOOTOPTION", .type = 23, .decode = FieldDecode::Name, .at = 0x04,
     .since = 0x0D, .name = "Boot Option", .names = &names::kSystemResetBootOption,
     .shift = 1, .mask = 0x03},
    {.selector = "/RESETLIMITOPTION", .type = 23, .decode = FieldDecode::Name, .at = 0x04,
     .since = 0x0D, .name = "Boot Option On Limit", .names = &names::kSystemResetBootOption,
     .shift = 3, .mask = 0x03},
    {.selector = "/RESETCOUNT", .type = 23, .decode = FieldDecode::Number, .at = 0x05,
     .size = 2, .since = 0x0D, .name = "Reset Count", .kind = FieldKind::Number,
     .none = kNoneIfAllOnes},
    {.selector = "/RESETLIMIT", .type = 23, .decode = FieldDecode::Number, .at = 0x07,
     .size = 2, .since = 0x0D, .name = "Reset Limit", .kind = FieldKind::Number,
     .none = kNoneIfAllOnes},
    {.selector = "/RESETINTERVAL", .type = 23, .decode = FieldDecode::Number, .at = 0x09,
     .size = 2, .since = 0x0D, .name = "Timer Interval", .unit = "min",
     .kind = FieldKind::Number, .none = kNoneIfAllOnes},
    {.selector = "/RESETTIMEOUT", .type = 23, .decode = FieldDecode::Number, .at = 0x0B,
     .size = 2, .since = 0x0D, .name = "Timeout", .unit = "min", .kind = FieldKind::Number,
     .none = kNoneIfAllOnes},
};

constexpr FieldRow kSecurityRows[] = {
    {.selector = "/SECURITYPOWERON", .type = 24, .decode = FieldDecode::Name, .at = 0x04,
     .name = "Power-On Password Status", .names = &names::kHardwareSecurityStatus, .shift = 6,
     .mask = 0x03},
    {.selector = "/SECURITYKEYBOARD", .type = 24, .decode = FieldDecode::Name, .at = 0x04,
     .name = "Keyboard Password Status", .names = &names::kHardwareSecurityStatus, .shift = 4,
     .mask = 0x03},
    {.selector = "/SECURITYADMIN", .type = 24, .decode = FieldDecode::Name, .at = 0x04,
     .name = "Administrator Password Status", .names = &names::kHardwareSecurityStatus,
     .shift = 2, .mask = 0x03},
    {.selector = "/SECURITYRESET", .type = 24, .decode = FieldDecode::Name, .at = 0x04,
     .name = "Front Panel Reset Status", .names = &names::kHardwareSecurityStatus,
     .mask = 0x03},
};

constexpr FieldRow kPowerControlRows[] = {
    {.selector = "/POWERCTRLNEXT", .type = 25, .decode = FieldDecode::Special, .at = 0x04,
     .size = 5, .name = "Next Scheduled Power-on", .special = PowerOnNext},
    {.selector = "/POWERCTRLMONTH", .type = 25, .decode = FieldDecode::Special, .at = 0x04,
     .since = 0x09, .kind = FieldKind::Number, .special = PowerOnPart,
     .label = "Next Power-on Month"},
    {.selector = "/POWERCTRLDAY", .type = 25, .decode = FieldDecode::Special, .at = 0x05,
     .since = 0x09, .kind = FieldKind::Number, .special = PowerOnPart,
     .label = "Next Power-on Day"},
    {.selector = "/POWERCTRLHOUR", .type = 25, .decode = FieldDecode::Special, .at = 0x06,
     .since = 0x09, .kind = FieldKind::Number, .special = PowerOnPart,
     .label = "Next Power-on Hour"},
    {.selector = "/POWERCTRLMINUTE", .type = 25, .decode = FieldDecode::Special, .at = 0x07,
     .since = 0x09, .kind = FieldKind::Number, .special = PowerOnPart,
     .label = "Next Power-on Minute"},
    {.selector = "/POWERCTRLSECOND", .type = 25, .decode = FieldDecode::Special, .at = 0x08,
     .since = 0x09, .kind = FieldKind::Number, .special = PowerOnPart,
     .label = "Next Power-on Second"},
};

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
     .size = 0, .since = 0x07, .kind = FieldKind::List, .special = ChannelDevices,
     .label = "Device Loads"},
    {.selector = "/MEMCHANNELHANDLES", .type = 37, .decode = FieldDecode::Special, .at = 0x08,
     .size = 0, .since = 0x07, .kind = FieldKind::List, .special = ChannelDevices,
     .label = "Device Handles"},
};

}  // namespace

constexpr auto kEventLogKeys = MakeJsonKeys(kEventLogRows);
extern const FieldSpan kEventLogFields{kEventLogRows, std::size(kEventLogRows),
                                       kEventLogKeys.keys};
constexpr auto kMemoryErrorKeys = MakeJsonKeys(kMemoryErrorRows);
extern const FieldSpan kMemoryErrorFields{kMemoryErrorRows, std::size(kMemoryErrorRows),
                                          kMemoryErrorKeys.keys};
constexpr auto kPointingKeys = MakeJsonKeys(kPointingRows);
extern const FieldSpan kPointingFields{kPointingRows, std::size(kPointingRows),
                                       kPointingKeys.keys};
constexpr auto kBatteryKeys = MakeJsonKeys(kBatteryRows);
extern const FieldSpan kBatteryFields{kBatteryRows, std::size(kBatteryRows), kBatteryKeys.keys};
constexpr auto kResetKeys = MakeJsonKeys(kResetRows);
extern const FieldSpan kResetFields{kResetRows, std::size(kResetRows), kResetKeys.keys};
constexpr auto kSecurityKeys = MakeJsonKeys(kSecurityRows);
extern const FieldSpan kSecurityFields{kSecurityRows, std::size(kSecurityRows),
                                       kSecurityKeys.keys};
constexpr auto kPowerControlKeys = MakeJsonKeys(kPowerControlRows);
extern const FieldSpan kPowerControlFields{kPowerControlRows, std::size(kPowerControlRows),
                                           kPowerControlKeys.keys};
constexpr auto kMemoryError64Keys = MakeJsonKeys(kMemoryError64Rows);
extern const FieldSpan kMemoryError64Fields{kMemoryError64Rows, std::size(kMemoryError64Rows),
                                            kMemoryError64Keys.keys};
constexpr auto kMemoryChannelKeys = MakeJsonKeys(kMemoryChannelRows);
extern const FieldSpan kMemoryChannelFields{kMemoryChannelRows, std::size(kMemoryChannelRows),
                                            kMemoryChannelKeys.keys};

}  // namespace tarnlix
