// Voltage, temperature and electrical current probes (types 26, 28, 29),
// cooling devices (27), out-of-band remote access (30), boot integrity
// services (31), system boot (32) and management devices, their components
// and thresholds (34, 35, 36).
#include "acquire/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

// A word that reads 0x8000 when the probe or device does not know it.
constexpr uint16_t kUnknownReading = 0x8000;

// A reading in 10^-Decimals of the row's unit, signed where the quantity
// can fall below zero (a minimum voltage or temperature).
template <int Decimals, bool Signed>
bool Reading(const FieldRow& row, const StructureView& s, FieldValue& value) {
  uint16_t raw = ReadLe16(s.bytes + row.at);
  if (raw == kUnknownReading) return false;
  value.SetDecimal(Signed ? int64_t{static_cast<int16_t>(raw)} : int64_t{raw}, Decimals);
  return true;
}

// The structure's bytes sum to zero when its checksum is right.
bool BisChecksum(const FieldRow&, const StructureView& s, FieldValue& value) {
  uint8_t sum = 0;
  for (size_t i = 0; i < s.length; ++i) sum = static_cast<uint8_t>(sum + s.bytes[i]);
  value.SetText(sum == 0 ? "OK" : "Invalid");
  return true;
}

// A real-mode far pointer, as segment:offset.
bool BisEntry16(const FieldRow& row, const StructureView& s, FieldValue& value) {
  uint32_t pointer = ReadLe32(s.bytes + row.at);
  value.BeginText();
  value.AppendHexDigits(pointer >> 16, 4);  // segment
  value.Append(':');
  value.AppendHexDigits(pointer, 4);  // offset
  return true;
}

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

// Hundredths of a percent as "1.50%"; 0x8000 means unknown.
bool Percentage(const FieldRow& row, const StructureView& s, FieldValue& value) {
  uint16_t hundredths = ReadLe16(s.bytes + row.at);
  if (hundredths == 0x8000) return false;
  value.BeginText();
  value.AppendDecimal(hundredths / 100u);
  value.Append('.');
  value.Append(static_cast<char>('0' + hundredths % 100u / 10u));
  value.Append(static_cast<char>('0' + hundredths % 10u));
  value.Append('%');
  return true;
}

inline constexpr CodeName kEnabledEntries[] = {{0, "Disabled"}, {1, "Enabled"}};
inline constexpr NameTable kEnabledNames{kEnabledEntries, 2};

// The rows every probe shares: its description, where it sits and its state
// in one byte, then its readings (the tolerance read as the others are),
// the quantities in `unit` and the resolution in `resolutionUnit`.
struct ProbeLayout {
  uint16_t type;
  const NameTable* locations;
  const char* unit;
  const char* resolutionUnit;
  bool (*reading)(const FieldRow&, const StructureView&, FieldValue&);
  bool (*resolution)(const FieldRow&, const StructureView&, FieldValue&);
};

struct ProbeSelectors {
  const char* description;
  const char* location;
  const char* status;
  const char* maximum;
  const char* minimum;
  const char* resolution;
  const char* tolerance;
  const char* accuracy;
  const char* oem;
  const char* nominal;
};

constexpr size_t kProbeRowCount = 10;

struct ProbeRows {
  FieldRow rows[kProbeRowCount];
};

constexpr ProbeRows MakeProbeRows(const ProbeLayout& p, const ProbeSelectors& n) {
  return {{
      {.selector = n.description, .type = p.type, .decode = FieldDecode::String, .at = 0x04,
       .name = "Description", .identifies = true},
      {.selector = n.location, .type = p.type, .decode = FieldDecode::Name, .at = 0x05,
       .name = "Location", .names = p.locations, .mask = 0x1F},
      {.selector = n.status, .type = p.type, .decode = FieldDecode::Name, .at = 0x05,
       .name = "Status", .names = &names::kProbeStatus, .shift = 5, .mask = 0x07,
       .varies = true},
      {.selector = n.maximum, .type = p.type, .decode = FieldDecode::Special, .at = 0x06,
       .size = 2, .name = "Maximum Value", .unit = p.unit, .kind = FieldKind::Number,
       .special = p.reading},
      {.selector = n.minimum, .type = p.type, .decode = FieldDecode::Special, .at = 0x08,
       .size = 2, .name = "Minimum Value", .unit = p.unit, .kind = FieldKind::Number,
       .special = p.reading},
      {.selector = n.resolution, .type = p.type, .decode = FieldDecode::Special, .at = 0x0A,
       .size = 2, .name = "Resolution", .unit = p.resolutionUnit, .kind = FieldKind::Number,
       .special = p.resolution},
      {.selector = n.tolerance, .type = p.type, .decode = FieldDecode::Special, .at = 0x0C,
       .size = 2, .name = "Tolerance", .unit = p.unit, .kind = FieldKind::Number,
       .special = p.reading},
      // A percentage, in hundredths: a text as dmidecode writes it ("0.50%"),
      // like every percentage the table holds.
      {.selector = n.accuracy, .type = p.type, .decode = FieldDecode::Special, .at = 0x0E,
       .size = 2, .name = "Accuracy", .special = Percentage},
      {.selector = n.oem, .type = p.type, .decode = FieldDecode::Hex, .at = 0x10, .size = 4,
       .name = "OEM-specific Information"},
      // Some firmware writes the reading of the moment here.
      {.selector = n.nominal, .type = p.type, .decode = FieldDecode::Special, .at = 0x14,
       .size = 2, .name = "Nominal Value", .unit = p.unit, .kind = FieldKind::Number,
       .special = p.reading, .varies = true},
  }};
}

// 7.27 Voltage Probe (type 26)
// Voltages and currents in thousandths (mV, mA), their resolution in
// tenths of a thousandth; temperatures in tenths of a degree, their
// resolution in thousandths.
constexpr ProbeRows kVoltageProbe = MakeProbeRows(
    {26, &names::kVoltageProbeLocation, "V", "mV", Reading<3, true>, Reading<1, false>},
    {"/VOLTPROBEDESC", "/VOLTPROBELOCATION", "/VOLTPROBESTATUS", "/VOLTPROBEMAX",
     "/VOLTPROBEMIN", "/VOLTPROBERESOLUTION", "/VOLTPROBETOLERANCE", "/VOLTPROBEACCURACY",
     "/VOLTPROBEOEM", "/VOLTPROBENOMINAL"});

// 7.29 Temperature Probe (type 28)
constexpr ProbeRows kTemperatureProbe = MakeProbeRows(
    {28, &names::kTemperatureProbeLocation, "deg C", "deg C", Reading<1, true>,
     Reading<3, false>},
    {"/TEMPPROBEDESC", "/TEMPPROBELOCATION", "/TEMPPROBESTATUS", "/TEMPPROBEMAX",
     "/TEMPPROBEMIN", "/TEMPPROBERESOLUTION", "/TEMPPROBETOLERANCE", "/TEMPPROBEACCURACY",
     "/TEMPPROBEOEM", "/TEMPPROBENOMINAL"});

// 7.30 Electrical Current Probe (type 29)
constexpr ProbeRows kCurrentProbe = MakeProbeRows(
    {29, &names::kCurrentProbeLocation, "A", "mA", Reading<3, true>, Reading<1, false>},
    {"/CURRENTPROBEDESC", "/CURRENTPROBELOCATION", "/CURRENTPROBESTATUS", "/CURRENTPROBEMAX",
     "/CURRENTPROBEMIN", "/CURRENTPROBERESOLUTION", "/CURRENTPROBETOLERANCE",
     "/CURRENTPROBEACCURACY", "/CURRENTPROBEOEM", "/CURRENTPROBENOMINAL"});

// 7.28 Cooling Device (type 27)
constexpr FieldRow kCoolingRows[] = {
    {.selector = "/COOLINGPROBE", .type = 27, .decode = FieldDecode::Handle, .at = 0x04,
     .size = 2, .name = "Temperature Probe Handle", .none = kNoneIfAllOnes},
    {.selector = "/COOLINGTYPE", .type = 27, .decode = FieldDecode::Name, .at = 0x06,
     .name = "Type", .names = &names::kCoolingDeviceType, .mask = 0x1F},
    {.selector = "/COOLINGSTATUS", .type = 27, .decode = FieldDecode::Name, .at = 0x06,
     .name = "Status", .names = &names::kCoolingDeviceStatus, .shift = 5, .mask = 0x07,
     .varies = true},
    // 0: the device shares its unit with no other.
    {.selector = "/COOLINGGROUP", .type = 27, .decode = FieldDecode::Number, .at = 0x07,
     .name = "Cooling Unit Group", .kind = FieldKind::Number, .none = kNoneIfZero},
    {.selector = "/COOLINGOEM", .type = 27, .decode = FieldDecode::Hex, .at = 0x08, .size = 4,
     .name = "OEM-specific Information"},
    // Unknown reads the same as a device that does not rotate.
    {.selector = "/COOLINGSPEED", .type = 27, .decode = FieldDecode::Special, .at = 0x0C,
     .size = 2, .name = "Nominal Speed", .unit = "rpm", .kind = FieldKind::Number,
     .special = Reading<0, false>},
    {.selector = "/COOLINGDESC", .type = 27, .decode = FieldDecode::String, .at = 0x0E,
     .name = "Description", .identifies = true},
};

// 7.31 Out-of-Band Remote Access (type 30)
constexpr FieldRow kRemoteAccessRows[] = {
    {.selector = "/REMOTEACCESSMAN", .type = 30, .decode = FieldDecode::String, .at = 0x04,
     .name = "Manufacturer Name"},
    {.selector = "/REMOTEACCESSIN", .type = 30, .decode = FieldDecode::Name, .at = 0x05,
     .name = "Inbound Connection", .names = &kEnabledNames, .mask = 0x01},
    {.selector = "/REMOTEACCESSOUT", .type = 30, .decode = FieldDecode::Name, .at = 0x05,
     .name = "Outbound Connection", .names = &kEnabledNames, .shift = 1, .mask = 0x01},
};

// 7.32 Boot Integrity Services (BIS) Entry Point (type 31)
constexpr FieldRow kBisRows[] = {
    {.selector = "/BISCHECKSUM", .type = 31, .decode = FieldDecode::Special, .at = 0x04,
     .name = "Checksum", .special = BisChecksum},
    {.selector = "/BISENTRY16", .type = 31, .decode = FieldDecode::Special, .at = 0x08,
     .size = 4, .name = "16-bit Entry Point Address", .special = BisEntry16},
    {.selector = "/BISENTRY32", .type = 31, .decode = FieldDecode::Hex, .at = 0x0C, .size = 4,
     .name = "32-bit Entry Point Address"},
};

// 7.33 System Boot Information (type 32)
constexpr FieldRow kBootRows[] = {
    {.selector = "/BOOTSTATUS", .type = 32, .decode = FieldDecode::Name, .at = 0x0A,
     .name = "Status", .names = &names::kBootStatus, .varies = true},
};

// 7.35 Management Device (type 34)
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

// 7.36 Management Device Component (type 35)
constexpr FieldRow kManagementComponentRows[] = {
    {.selector = "/MGMTCOMPONENTDESC", .type = 35, .decode = FieldDecode::String, .at = 0x04,
     .name = "Description", .identifies = true},
    {.selector = "/MGMTCOMPONENTDEVICE", .type = 35, .decode = FieldDecode::Handle, .at = 0x05,
     .size = 2, .name = "Management Device Handle"},
    {.selector = "/MGMTCOMPONENTHANDLE", .type = 35, .decode = FieldDecode::Handle, .at = 0x07,
     .size = 2, .name = "Component Handle"},
    // All ones: the component has no thresholds.
    {.selector = "/MGMTCOMPONENTTHRESHOLD", .type = 35, .decode = FieldDecode::Handle,
     .at = 0x09, .size = 2, .name = "Threshold Handle", .none = kNoneIfAllOnes},
};

// 7.37 Management Device Threshold Data (type 36)
// In the unit of the component the thresholds belong to.
constexpr FieldRow kManagementThresholdRows[] = {
    {.selector = "/MGMTTHRESHOLDLOWERNONCRIT", .type = 36, .decode = FieldDecode::Special,
     .at = 0x04, .size = 2, .name = "Lower Non-critical Threshold", .kind = FieldKind::Number,
     .special = Reading<0, true>},
    {.selector = "/MGMTTHRESHOLDUPPERNONCRIT", .type = 36, .decode = FieldDecode::Special,
     .at = 0x06, .size = 2, .name = "Upper Non-critical Threshold", .kind = FieldKind::Number,
     .special = Reading<0, true>},
    {.selector = "/MGMTTHRESHOLDLOWERCRIT", .type = 36, .decode = FieldDecode::Special,
     .at = 0x08, .size = 2, .name = "Lower Critical Threshold", .kind = FieldKind::Number,
     .special = Reading<0, true>},
    {.selector = "/MGMTTHRESHOLDUPPERCRIT", .type = 36, .decode = FieldDecode::Special,
     .at = 0x0A, .size = 2, .name = "Upper Critical Threshold", .kind = FieldKind::Number,
     .special = Reading<0, true>},
    {.selector = "/MGMTTHRESHOLDLOWERNONREC", .type = 36, .decode = FieldDecode::Special,
     .at = 0x0C, .size = 2, .name = "Lower Non-recoverable Threshold",
     .kind = FieldKind::Number, .special = Reading<0, true>},
    {.selector = "/MGMTTHRESHOLDUPPERNONREC", .type = 36, .decode = FieldDecode::Special,
     .at = 0x0E, .size = 2, .name = "Upper Non-recoverable Threshold",
     .kind = FieldKind::Number, .special = Reading<0, true>},
};

// The strings no field names, as the earlier reports showed them.
constexpr PlaceLabel kVoltageProbePlaces[] = {{1, "Description"}};

constexpr StructureGroup kGroups[] = {
    {.selector = "/VOLTPROBE", .type = 26, .heading = "Voltage Probe",
     .what = "voltage probe",
     .rows = kVoltageProbe.rows, .rowCount = kProbeRowCount, .places = kVoltageProbePlaces,
     .placeCount = std::size(kVoltageProbePlaces)},
    {.selector = "/COOLING", .type = 27, .heading = "Cooling Device",
     .what = "cooling device",
     .rows = kCoolingRows, .rowCount = std::size(kCoolingRows)},
    {.selector = "/TEMPPROBE", .type = 28, .heading = "Temperature Probe",
     .what = "temperature probe",
     .rows = kTemperatureProbe.rows, .rowCount = kProbeRowCount},
    {.selector = "/CURRENTPROBE", .type = 29, .heading = "Electrical Current Probe",
     .what = "electrical current probe",
     .rows = kCurrentProbe.rows, .rowCount = kProbeRowCount},
    {.selector = "/REMOTEACCESS", .type = 30, .heading = "Out-of-band Remote Access",
     .what = "out-of-band remote access",
     .rows = kRemoteAccessRows, .rowCount = std::size(kRemoteAccessRows)},
    {.selector = "/BIS", .type = 31, .heading = "Boot Integrity Services Entry Point",
     .what = "boot integrity services entry point",
     .rows = kBisRows, .rowCount = std::size(kBisRows)},
    {.selector = "/BOOT", .type = 32, .heading = "System Boot Info",
     .what = "system boot",
     .rows = kBootRows, .rowCount = std::size(kBootRows)},
    {.selector = "/MGMTDEVICE", .type = 34, .heading = "Management Device",
     .what = "management device",
     .rows = kManagementDeviceRows, .rowCount = std::size(kManagementDeviceRows)},
    {.selector = "/MGMTCOMPONENT", .type = 35, .heading = "Management Device Component",
     .what = "management device component",
     .rows = kManagementComponentRows, .rowCount = std::size(kManagementComponentRows)},
    {.selector = "/MGMTTHRESHOLD", .type = 36, .heading = "Management Device Threshold Data",
     .what = "management device threshold data",
     .rows = kManagementThresholdRows, .rowCount = std::size(kManagementThresholdRows)},
};

}  // namespace

extern const GroupList kProbeGroups{kGroups, std::size(kGroups)};

}  // namespace tarnlix
