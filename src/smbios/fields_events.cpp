// The system event log (type 15), memory errors (18, 33), pointing
// devices (21), the portable battery (22), system reset (23), hardware
// security (24), system power controls (25) and memory channels (37).
#include "acquire/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

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

// A memory error address or resolution: the top bit alone says unknown.
bool ErrorHex(const FieldRow& row, const StructureView& s, FieldValue& value) {
  uint64_t raw = row.size == 8 ? ReadLe64(s.bytes + row.at) : ReadLe32(s.bytes + row.at);
  if (raw == uint64_t{1} << (8 * row.size - 1)) return false;
  value.BeginText();
  value.AppendHex(raw, 2 * row.size);
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
  value.AppendHexDigits(ReadLe16(s.bytes + 0x10), 4);
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

// 7.16 System Event Log (type 15)
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

// 7.19 32-Bit Memory Error Information (type 18)
// The 32-bit and 64-bit memory errors differ in the width of their
// addresses; dmidecode reads neither from a structure shorter than the
// whole.
constexpr FieldRow kMemoryErrorRows[] = {
    {.selector = "/MEMERRORTYPE", .type = 18, .decode = FieldDecode::Name, .at = 0x04,
     .since = 0x17, .name = "Type", .names = &names::kMemoryErrorType, .varies = true},
    {.selector = "/MEMERRORGRANULARITY", .type = 18, .decode = FieldDecode::Name, .at = 0x05,
     .since = 0x17, .name = "Granularity", .names = &names::kMemoryErrorGranularity, .varies = true},
    {.selector = "/MEMERROROPERATION", .type = 18, .decode = FieldDecode::Name, .at = 0x06,
     .since = 0x17, .name = "Operation", .names = &names::kMemoryErrorOperation, .varies = true},
    {.selector = "/MEMERRORSYNDROME", .type = 18, .decode = FieldDecode::Hex, .at = 0x07,
     .size = 4, .since = 0x17, .name = "Vendor Syndrome", .none = kNoneIfZero, .varies = true},
    {.selector = "/MEMERRORARRAYADDR", .type = 18, .decode = FieldDecode::Special, .at = 0x0B,
     .size = 4, .since = 0x17, .name = "Memory Array Address", .special = ErrorHex, .varies = true},
    {.selector = "/MEMERRORDEVICEADDR", .type = 18, .decode = FieldDecode::Special, .at = 0x0F,
     .size = 4, .since = 0x17, .name = "Device Address", .special = ErrorHex, .varies = true},
    // A range in bytes, which dmidecode writes in hexadecimal: no number
    // reads as that.
    {.selector = "/MEMERRORRESOLUTION", .type = 18, .decode = FieldDecode::Special, .at = 0x13,
     .size = 4, .since = 0x17, .name = "Resolution", .special = ErrorHex, .varies = true},
};

// 7.34 64-Bit Memory Error Information (type 33)
constexpr FieldRow kMemoryError64Rows[] = {
    {.selector = "/MEMERROR64TYPE", .type = 33, .decode = FieldDecode::Name, .at = 0x04,
     .since = 0x1F, .name = "Type", .names = &names::kMemoryErrorType, .varies = true},
    {.selector = "/MEMERROR64GRANULARITY", .type = 33, .decode = FieldDecode::Name, .at = 0x05,
     .since = 0x1F, .name = "Granularity", .names = &names::kMemoryErrorGranularity, .varies = true},
    {.selector = "/MEMERROR64OPERATION", .type = 33, .decode = FieldDecode::Name, .at = 0x06,
     .since = 0x1F, .name = "Operation", .names = &names::kMemoryErrorOperation, .varies = true},
    {.selector = "/MEMERROR64SYNDROME", .type = 33, .decode = FieldDecode::Hex, .at = 0x07,
     .size = 4, .since = 0x1F, .name = "Vendor Syndrome", .none = kNoneIfZero, .varies = true},
    {.selector = "/MEMERROR64ARRAYADDR", .type = 33, .decode = FieldDecode::Special, .at = 0x0B,
     .size = 8, .since = 0x1F, .name = "Memory Array Address", .special = ErrorHex, .varies = true},
    {.selector = "/MEMERROR64DEVICEADDR", .type = 33, .decode = FieldDecode::Special,
     .at = 0x13, .size = 8, .since = 0x1F, .name = "Device Address", .special = ErrorHex,
     .varies = true},
    {.selector = "/MEMERROR64RESOLUTION", .type = 33, .decode = FieldDecode::Special,
     .at = 0x1B, .size = 4, .since = 0x1F, .name = "Resolution", .special = ErrorHex,
     .varies = true},
};

// 7.22 Built-in Pointing Device (type 21)
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

// 7.23 Portable Battery (type 22)
constexpr FieldRow kBatteryRows[] = {
    {.selector = "/BATLOC", .type = 22, .decode = FieldDecode::String, .at = 0x04, .place = 1,
     .name = "Location", .identifies = true},
    {.selector = "/BATMAN", .type = 22, .decode = FieldDecode::String, .at = 0x05, .place = 2,
     .name = "Manufacturer"},
    {.selector = "/BATDATE", .type = 22, .decode = FieldDecode::String, .at = 0x06, .place = 3,
     .name = "Manufacture Date", .label = "Mfg Date"},
    {.selector = "/BATSERIAL", .type = 22, .decode = FieldDecode::String, .at = 0x07, .place = 4,
     .name = "Serial Number", .label = "Serial#"},
    {.selector = "/BATNAME", .type = 22, .decode = FieldDecode::String, .at = 0x08, .place = 5,
     .name = "Name", .label = "Device Name", .identifies = true},
    {.selector = "/BATVER", .type = 22, .decode = FieldDecode::String, .at = 0x0E, .place = 6,
     .name = "SBDS Version"},
    {.selector = "/BATCHEM", .type = 22, .decode = FieldDecode::String, .at = 0x14, .place = 7,
     .name = "SBDS Chemistry"},
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

// 7.24 System Reset (type 23)
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
     .none = kNoneIfAllOnes, .varies = true},
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

// 7.25 Hardware Security (type 24)
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

// 7.26 System Power Controls (type 25)
constexpr FieldRow kPowerControlRows[] = {
    {.selector = "/POWERCTRLNEXT", .type = 25, .decode = FieldDecode::Special, .at = 0x04,
     .size = 5, .name = "Next Scheduled Power-on", .special = PowerOnNext, .varies = true},
    {.selector = "/POWERCTRLMONTH", .type = 25, .decode = FieldDecode::Special, .at = 0x04,
     .since = 0x09, .kind = FieldKind::Number, .special = PowerOnPart,
     .label = "Next Power-on Month", .varies = true},
    {.selector = "/POWERCTRLDAY", .type = 25, .decode = FieldDecode::Special, .at = 0x05,
     .since = 0x09, .kind = FieldKind::Number, .special = PowerOnPart,
     .label = "Next Power-on Day", .varies = true},
    {.selector = "/POWERCTRLHOUR", .type = 25, .decode = FieldDecode::Special, .at = 0x06,
     .since = 0x09, .kind = FieldKind::Number, .special = PowerOnPart,
     .label = "Next Power-on Hour", .varies = true},
    {.selector = "/POWERCTRLMINUTE", .type = 25, .decode = FieldDecode::Special, .at = 0x07,
     .since = 0x09, .kind = FieldKind::Number, .special = PowerOnPart,
     .label = "Next Power-on Minute", .varies = true},
    {.selector = "/POWERCTRLSECOND", .type = 25, .decode = FieldDecode::Special, .at = 0x08,
     .since = 0x09, .kind = FieldKind::Number, .special = PowerOnPart,
     .label = "Next Power-on Second", .varies = true},
};

// 7.38 Memory Channel (type 37)
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

constexpr StructureGroup kGroups[] = {
    {.selector = "/EVENTLOG", .type = 15, .heading = "System Log",
     .what = "system event log",
     .rows = kEventLogRows, .rowCount = std::size(kEventLogRows)},
    {.selector = "/MEMERROR", .type = 18, .heading = "Mem Err Info",
     .what = "32-bit memory error",
     .rows = kMemoryErrorRows, .rowCount = std::size(kMemoryErrorRows)},
    {.selector = "/POINTING", .type = 21, .heading = "Pointing Device",
     .what = "built-in pointing device",
     .rows = kPointingRows, .rowCount = std::size(kPointingRows)},
    {.selector = "/BATTERY", .type = 22, .heading = "Portable Battery",
     .what = "portable battery",
     .rows = kBatteryRows, .rowCount = std::size(kBatteryRows)},
    {.selector = "/RESET", .type = 23, .heading = "System Reset",
     .what = "system reset",
     .rows = kResetRows, .rowCount = std::size(kResetRows)},
    {.selector = "/SECURITY", .type = 24, .heading = "Hardware Security",
     .what = "hardware security",
     .rows = kSecurityRows, .rowCount = std::size(kSecurityRows)},
    {.selector = "/POWERCTRL", .type = 25, .heading = "System Power Control",
     .what = "system power controls",
     .rows = kPowerControlRows, .rowCount = std::size(kPowerControlRows)},
    {.selector = "/MEMERROR64", .type = 33, .heading = "64-bit Memory Error Information",
     .what = "64-bit memory error",
     .rows = kMemoryError64Rows, .rowCount = std::size(kMemoryError64Rows)},
    {.selector = "/MEMCHANNEL", .type = 37, .heading = "Memory Channel",
     .what = "memory channel",
     .rows = kMemoryChannelRows, .rowCount = std::size(kMemoryChannelRows)},
};

}  // namespace

extern const GroupList kEventGroups{kGroups, std::size(kGroups)};

}  // namespace tarnlix
