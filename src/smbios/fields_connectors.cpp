// Memory controllers and modules (types 5, 6), port connectors (8), system
// slots (9), on-board devices (10), OEM strings (11), system configuration
// options (12), BIOS languages (13) and group associations (14).
#include <cstring>

#include "acquire/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

// Where a list keeps one item per entry the structure declares, an entry
// with nothing behind it reads as dmidecode marks it, so that the items of
// parallel lists stay in step.
constexpr const char kNoString[] = "Not Specified";
constexpr const char kBadString[] = "<BAD INDEX>";

void AppendString(const StructureView& s, uint8_t number, FieldValue& value) {
  if (number == 0) {
    value.Append(kNoString);
  } else if (!s.HasString(number)) {
    value.Append(kBadString);
  } else {
    value.Append(s.String(number));
  }
}

// "segment:bus:device.function" of the four bytes at p (segment word, bus,
// device/function), in lower-case hex digits as PCI addresses are written.
void AppendPciAddress(FieldValue& value, const uint8_t* p) {
  value.AppendHexDigits(ReadLe16(p), 4, true);
  value.Append(':');
  value.AppendHexDigits(p[2], 2, true);
  value.Append(':');
  value.AppendHexDigits(p[3] >> 3, 2, true);
  value.Append('.');
  value.AppendHexDigits(p[3] & 0x07, 1, true);
}

// Type 5 -------------------------------------------------------------------

uint8_t SlotHandleCount(const StructureView& s) { return s.bytes[0x0E]; }

// 2^n MB; nothing real comes near the top of the byte's range.
bool MaxModuleSize(const FieldRow&, const StructureView& s, FieldValue& value) {
  uint8_t power = s.bytes[0x08];
  if (power > 63) return false;
  value.SetNumber(uint64_t{1} << power);
  return true;
}

// What the controller's sockets can hold together, from the largest module
// and the socket count, whether or not the socket handles follow.
bool MaxTotalSize(const FieldRow&, const StructureView& s, FieldValue& value) {
  uint8_t power = s.bytes[0x08];
  uint64_t sockets = SlotHandleCount(s);
  if (power > 55) return false;  // past 2^64 with 255 sockets
  value.SetNumber((uint64_t{1} << power) * sockets);
  return true;
}

// The memory module structures of the controller's sockets; listed only
// when the structure holds every handle.
bool AssociatedSlots(const FieldRow&, const StructureView& s, FieldValue& value) {
  uint8_t count = SlotHandleCount(s);
  if (!s.Has(0x0F, size_t{count} * 2)) return false;
  value.BeginList();
  for (uint8_t i = 0; i < count; ++i) {
    value.AppendHex(ReadLe16(s.bytes + 0x0F + 2 * i), 4);
    value.EndItem();
  }
  return true;
}

// Follows the socket handles (2.1 and later).
bool EnabledCorrection(const FieldRow&, const StructureView& s, FieldValue& value) {
  size_t at = 0x0F + size_t{SlotHandleCount(s)} * 2;
  if (!s.Has(at, 1)) return false;
  uint8_t bits = s.bytes[at];
  value.BeginList();
  for (uint32_t bit = 0; bit < 8; ++bit) {
    if (((bits >> bit) & 1) == 0) continue;
    if (const char* name = names::kMemoryControllerEcCapabilities.Find(bit)) value.Item(name);
  }
  return true;
}

// Type 6 -------------------------------------------------------------------

// Two RAS lines, one per nibble; 0xF leaves a nibble unused.
bool BankConnections(const FieldRow&, const StructureView& s, FieldValue& value) {
  uint8_t banks = s.bytes[0x05];
  if (banks == 0xFF) return false;
  uint8_t high = banks >> 4;
  uint8_t low = banks & 0x0F;
  value.BeginText();
  if (high == 0x0F) {
    value.AppendDecimal(low);
  } else if (low == 0x0F) {
    value.AppendDecimal(high);
  } else {
    value.AppendDecimal(high);
    value.Append(' ');
    value.AppendDecimal(low);
  }
  return true;
}

// 2^n MB in the low seven bits; 0x7D not determinable, 0x7E disabled, 0x7F
// not installed.
bool ModuleSize(const FieldRow& row, const StructureView& s, FieldValue& value) {
  uint8_t power = s.bytes[row.at] & 0x7F;
  if (power >= 0x7D || power > 63) return false;
  value.SetNumber(uint64_t{1} << power);
  return true;
}

// The top bit of a size byte: whether the module uses both of its banks.
bool ModuleBanks(const FieldRow& row, const StructureView& s, FieldValue& value) {
  uint8_t size = s.bytes[row.at];
  if ((size & 0x7F) == 0x7F) return false;  // no module
  value.SetText(size & 0x80 ? "Double-bank Connection" : "Single-bank Connection");
  return true;
}

// The size and the banks in one text, as dmidecode writes them.
bool ModuleSizeText(const FieldRow& row, const StructureView& s, FieldValue& value) {
  uint8_t size = s.bytes[row.at];
  uint8_t power = size & 0x7F;
  if (power == 0x7F || (power > 63 && power < 0x7D)) return false;  // no module
  value.BeginText();
  if (power == 0x7D) {
    value.Append("Not Determinable");
  } else if (power == 0x7E) {
    value.Append("Disabled");
  } else {
    value.AppendDecimal(uint64_t{1} << power);
    value.Append(" MB");
  }
  value.Append(size & 0x80 ? " (Double-bank Connection)" : " (Single-bank Connection)");
  return true;
}

// Type 9 -------------------------------------------------------------------

// The PCI Express slot types whose slot information is the generation, as
// dmidecode reads them (0xB7 is no type; the U.2 types 0x24 and 0x25 are
// left out).
bool IsPciExpressSlot(uint8_t type) {
  return (type >= 0x1F && type <= 0x23) || (type >= 0xA5 && type <= 0xC4 && type != 0xB7);
}

// The slot types whose ID is a slot number: the PCI family and MCA, EISA.
bool IsPciSlot(uint8_t type) {
  return (type >= 0x04 && type <= 0x06) || (type >= 0x0E && type <= 0x13) ||
         IsPciExpressSlot(type);
}

// The bus width and the slot type in one text, as "x16 PCI Express x16".
bool SlotType(const FieldRow&, const StructureView& s, FieldValue& value) {
  const char* width = names::kSlotBusWidth.Find(s.bytes[0x06]);
  const char* type = names::kSlotType.Find(s.bytes[0x05]);
  value.BeginText();
  if (width != nullptr) {
    value.Append(width);
  } else {
    value.Append(kUnnamedCode);
    value.Append(' ');
  }
  value.Append(type != nullptr ? type : kUnnamedCode);
  return true;
}

// A PCI-family slot's number is the low byte; a PC Card slot's two bytes
// are its adapter and socket.
bool SlotId(const FieldRow&, const StructureView& s, FieldValue& value) {
  uint8_t type = s.bytes[0x05];
  value.BeginText();
  if (type == 0x07) {
    value.Append("Adapter ");
    value.AppendDecimal(s.bytes[0x09]);
    value.Append(", Socket ");
    value.AppendDecimal(s.bytes[0x0A]);
    return true;
  }
  if (!IsPciSlot(type)) return false;
  value.AppendDecimal(s.bytes[0x09]);
  return true;
}

// Both characteristic bytes; "unknown" in the first stands for all of them.
bool SlotCharacteristics(const FieldRow&, const StructureView& s, FieldValue& value) {
  uint8_t first = s.bytes[0x0B];
  value.BeginList();
  if (first & 0x01) {
    value.Item(names::kSlotCharacteristics1.Find(0));
    return true;
  }
  for (uint32_t bit = 1; bit < 8; ++bit) {
    if ((first >> bit) & 1) value.Item(names::kSlotCharacteristics1.Find(bit));
  }
  if (!s.Has(0x0C, 1)) return true;
  uint8_t second = s.bytes[0x0C];
  for (uint32_t bit = 0; bit < 8; ++bit) {
    if (((second >> bit) & 1) == 0) continue;
    if (const char* name = names::kSlotCharacteristics2.Find(bit)) value.Item(name);
  }
  return true;
}

// All ones in segment, bus and device/function: no PCI address.
bool SlotBusAddress(const FieldRow&, const StructureView& s, FieldValue& value) {
  const uint8_t* p = s.bytes + 0x0D;
  if (ReadLe16(p) == 0xFFFF && p[2] == 0xFF && p[3] == 0xFF) return false;
  value.BeginText();
  AppendPciAddress(value, p);
  return true;
}

bool SlotDevice(const FieldRow&, const StructureView& s, FieldValue& value) {
  uint8_t devfn = s.bytes[0x10];
  if (devfn == 0xFF) return false;
  value.SetNumber(devfn >> 3);
  return true;
}

bool SlotFunction(const FieldRow&, const StructureView& s, FieldValue& value) {
  uint8_t devfn = s.bytes[0x10];
  if (devfn == 0xFF) return false;
  value.SetNumber(devfn & 0x07);
  return true;
}

uint8_t PeerCount(const StructureView& s) { return s.bytes[0x12]; }

// Five bytes a peer: segment, bus, device/function, width. Listed only when
// the structure holds every group.
bool SlotPeers(const FieldRow&, const StructureView& s, FieldValue& value) {
  uint8_t count = PeerCount(s);
  if (!s.Has(0x13, size_t{count} * 5)) return false;
  value.BeginList();
  for (uint8_t i = 0; i < count; ++i) {
    const uint8_t* peer = s.bytes + 0x13 + 5 * i;
    AppendPciAddress(value, peer);
    value.Append(" (Width ");
    value.AppendDecimal(peer[4]);
    value.Append(')');
    value.EndItem();
  }
  return true;
}

// The fields after the peer groups (3.4 and later): slot information,
// physical width and pitch come together, the height (3.5) after them.
const uint8_t* SlotTail(const StructureView& s, size_t need) {
  size_t at = 0x13 + size_t{PeerCount(s)} * 5;
  return s.Has(at, need) ? s.bytes + at : nullptr;
}

bool SlotGeneration(const FieldRow&, const StructureView& s, FieldValue& value) {
  const uint8_t* tail = SlotTail(s, 4);
  if (tail == nullptr || tail[0] == 0 || !IsPciExpressSlot(s.bytes[0x05])) return false;
  value.SetNumber(tail[0]);
  return true;
}

bool SlotPhysicalWidth(const FieldRow&, const StructureView& s, FieldValue& value) {
  const uint8_t* tail = SlotTail(s, 4);
  if (tail == nullptr) return false;
  const char* name = names::kSlotWidth.Find(tail[1]);
  if (name == nullptr) return false;
  value.SetText(name);
  return true;
}

// In hundredths of a millimetre; 0 is not given.
bool SlotPitch(const FieldRow&, const StructureView& s, FieldValue& value) {
  const uint8_t* tail = SlotTail(s, 4);
  if (tail == nullptr) return false;
  uint16_t pitch = ReadLe16(tail + 2);
  if (pitch == 0) return false;
  value.SetDecimal(pitch, 2);
  return true;
}

bool SlotHeight(const FieldRow&, const StructureView& s, FieldValue& value) {
  const uint8_t* tail = SlotTail(s, 5);
  if (tail == nullptr) return false;
  const char* name = names::kSlotHeight.Find(tail[4]);
  if (name == nullptr) return false;
  value.SetText(name);
  return true;
}

// Type 10 ------------------------------------------------------------------

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

// Types 11, 12 and 13 --------------------------------------------------------

// Strings 1 to the count at 0x04, in one walk of the string-set: OEM
// structures can hold all 255.
bool CountedStrings(const FieldRow&, const StructureView& s, FieldValue& value) {
  uint8_t count = s.bytes[0x04];
  value.BeginList();
  size_t offset = 0;
  for (uint32_t n = 1; n <= count; ++n) {
    if (offset < s.stringsLength) {
      const char* text = reinterpret_cast<const char*>(s.strings + offset);
      size_t size = strnlen(text, s.stringsLength - offset);
      offset += size + 1;
      while (size > 0 && text[size - 1] == ' ') --size;
      value.Item({text, size});
    } else {
      value.Item(kBadString);
    }
  }
  return count != 0;
}

// Tables before 2.1 have no format flag.
bool LanguageFormat(const FieldRow&, const StructureView& s, FieldValue& value) {
  if (s.Before(2, 1)) return false;
  value.SetText(s.bytes[0x05] & 0x01 ? "Abbreviated" : "Long");
  return true;
}

// Type 14 ------------------------------------------------------------------

// Three bytes an item: the structure type of the member and its handle.
bool GroupItems(const FieldRow&, const StructureView& s, FieldValue& value) {
  size_t count = (s.length - 5) / 3;
  value.BeginList();
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* item = s.bytes + 0x05 + 3 * i;
    // Inactive and end-of-table structures are no group's members.
    const char* name = item[0] == 0x7E || item[0] == 0x7F ? nullptr
                                                         : names::kDmiTypeName.Find(item[0]);
    value.AppendHex(ReadLe16(item + 1), 4);
    value.Append(" (");
    value.Append(name != nullptr ? name : kUnnamedCode);
    value.Append(')');
    value.EndItem();
  }
  return true;
}

// 7.6 Memory Controller Information (obsolete) (type 5)
constexpr FieldRow kMemoryControllerRows[] = {
    {.selector = "/MEMCTRLDETECTION", .type = 5, .decode = FieldDecode::Name, .at = 0x04,
     .since = 0x0F, .name = "Error Detecting Method", .names = &names::kMemoryControllerEdMethod},
    {.selector = "/MEMCTRLCORRECTION", .type = 5, .decode = FieldDecode::Bits, .at = 0x05,
     .since = 0x0F, .name = "Error Correcting Capabilities", .kind = FieldKind::List,
     .names = &names::kMemoryControllerEcCapabilities},
    {.selector = "/MEMCTRLINTERLEAVE", .type = 5, .decode = FieldDecode::Name, .at = 0x06,
     .since = 0x0F, .name = "Supported Interleave",
     .names = &names::kMemoryControllerInterleave},
    {.selector = "/MEMCTRLCURRENTINTERLEAVE", .type = 5, .decode = FieldDecode::Name, .at = 0x07,
     .since = 0x0F, .name = "Current Interleave", .names = &names::kMemoryControllerInterleave},
    {.selector = "/MEMCTRLMAXMODULE", .type = 5, .decode = FieldDecode::Special, .at = 0x08,
     .since = 0x0F, .name = "Maximum Memory Module Size", .unit = "MB",
     .kind = FieldKind::Number, .special = MaxModuleSize},
    {.selector = "/MEMCTRLMAXTOTAL", .type = 5, .decode = FieldDecode::Special, .at = 0x08,
     .since = 0x0F, .name = "Maximum Total Memory Size", .unit = "MB", .kind = FieldKind::Number,
     .special = MaxTotalSize},
    {.selector = "/MEMCTRLSPEEDS", .type = 5, .decode = FieldDecode::Bits, .at = 0x09, .size = 2,
     .since = 0x0F, .name = "Supported Speeds", .kind = FieldKind::List,
     .names = &names::kMemoryControllerSpeeds},
    {.selector = "/MEMCTRLTYPES", .type = 5, .decode = FieldDecode::Bits, .at = 0x0B, .size = 2,
     .since = 0x0F, .name = "Supported Memory Types", .kind = FieldKind::List,
     .names = &names::kMemoryModuleTypes},
    {.selector = "/MEMCTRLVOLTAGE", .type = 5, .decode = FieldDecode::Special, .at = 0x0D,
     .since = 0x0F, .name = "Memory Module Voltage", .names = &names::kMemoryControllerVoltage,
     .special = VoltageCode},
    {.selector = "/MEMCTRLSLOTS", .type = 5, .decode = FieldDecode::Special, .at = 0x0E,
     .since = 0x0F, .name = "Associated Memory Slots", .kind = FieldKind::List,
     .special = AssociatedSlots},
    {.selector = "/MEMCTRLENABLEDCORRECTION", .type = 5, .decode = FieldDecode::Special,
     .at = 0x0E, .since = 0x0F, .name = "Enabled Error Correcting Capabilities",
     .kind = FieldKind::List, .special = EnabledCorrection},
};

// 7.7 Memory Module Information (obsolete) (type 6)
// dmidecode prints the sizes with the bank connection after the number
// ("1024 MB (Double-bank Connection)"): the size and the connection are two
// fields here, and neither is that line.
constexpr FieldRow kMemoryModuleRows[] = {
    {.selector = "/MEMMODULESOCKET", .type = 6, .decode = FieldDecode::String, .at = 0x04,
     .since = 0x0C, .name = "Socket Designation", .identifies = true},
    {.selector = "/MEMMODULEBANKS", .type = 6, .decode = FieldDecode::Special, .at = 0x05,
     .since = 0x0C, .name = "Bank Connections", .special = BankConnections},
    {.selector = "/MEMMODULESPEED", .type = 6, .decode = FieldDecode::Number, .at = 0x06,
     .since = 0x0C, .name = "Current Speed", .unit = "ns", .kind = FieldKind::Number,
     .none = kNoneIfZero},
    {.selector = "/MEMMODULETYPE", .type = 6, .decode = FieldDecode::BitsText, .at = 0x07,
     .size = 2, .since = 0x0C, .name = "Type", .names = &names::kMemoryModuleTypes},
    {.selector = "/MEMMODULEINSTALLED", .type = 6, .decode = FieldDecode::Special, .at = 0x09,
     .since = 0x0C, .unit = "MB", .kind = FieldKind::Number, .special = ModuleSize,
     .label = "Installed Size"},
    {.selector = "/MEMMODULEINSTALLEDBANKS", .type = 6, .decode = FieldDecode::Special,
     .at = 0x09, .since = 0x0C, .special = ModuleBanks, .label = "Installed Connection"},
    {.selector = "/MEMMODULEINSTALLEDSIZE", .type = 6, .decode = FieldDecode::Special,
     .at = 0x09, .since = 0x0C, .name = "Installed Size", .special = ModuleSizeText},
    {.selector = "/MEMMODULEENABLED", .type = 6, .decode = FieldDecode::Special, .at = 0x0A,
     .since = 0x0C, .unit = "MB", .kind = FieldKind::Number, .special = ModuleSize,
     .label = "Enabled Size"},
    {.selector = "/MEMMODULEENABLEDBANKS", .type = 6, .decode = FieldDecode::Special, .at = 0x0A,
     .since = 0x0C, .special = ModuleBanks, .label = "Enabled Connection"},
    {.selector = "/MEMMODULEENABLEDSIZE", .type = 6, .decode = FieldDecode::Special,
     .at = 0x0A, .since = 0x0C, .name = "Enabled Size", .special = ModuleSizeText},
    {.selector = "/MEMMODULEERROR", .type = 6, .decode = FieldDecode::Name, .at = 0x0B,
     .since = 0x0C, .name = "Error Status", .names = &names::kMemoryModuleError, .mask = 0x07},
};

// 7.9 Port Connector Information (type 8)
constexpr FieldRow kPortRows[] = {
    {.selector = "/PORTINTERNALREF", .type = 8, .decode = FieldDecode::String, .at = 0x04,
     .place = 1, .name = "Internal Reference Designator", .label = "Internal ref.",
     .identifies = true},
    {.selector = "/PORTEXTERNALREF", .type = 8, .decode = FieldDecode::String, .at = 0x06,
     .place = 2, .name = "External Reference Designator", .label = "External ref.",
     .identifies = true},
    {.selector = "/PORTEXTRA", .type = 8, .decode = FieldDecode::StringNumber, .at = 3, .since = 5,
     .place = 3, .label = "Extra"},
    // Connector and port type 0: there is none.
    {.selector = "/PORTINTERNALTYPE", .type = 8, .decode = FieldDecode::Name, .at = 0x05,
     .since = 0x09, .name = "Internal Connector Type", .names = &names::kPortConnectorType,
     .none = kNoneIfZero},
    {.selector = "/PORTEXTERNALTYPE", .type = 8, .decode = FieldDecode::Name, .at = 0x07,
     .since = 0x09, .name = "External Connector Type", .names = &names::kPortConnectorType,
     .none = kNoneIfZero},
    {.selector = "/PORTTYPE", .type = 8, .decode = FieldDecode::Name, .at = 0x08, .since = 0x09,
     .name = "Port Type", .names = &names::kPortType, .none = kNoneIfZero},
};

// 7.10 System Slots (type 9)
constexpr FieldRow kSlotRows[] = {
    {.selector = "/SLOTDESIGNATION", .type = 9, .decode = FieldDecode::String, .at = 0x04,
     .place = 1, .name = "Designation", .identifies = true},
    {.selector = "/SLOTTYPE", .type = 9, .decode = FieldDecode::Special, .at = 0x05,
     .since = 0x0C, .name = "Type", .special = SlotType},
    {.selector = "/SLOTWIDTH", .type = 9, .decode = FieldDecode::Name, .at = 0x06,
     .since = 0x0C, .names = &names::kSlotWidth, .label = "Slot Data Bus Width"},
    {.selector = "/SLOTUSAGE", .type = 9, .decode = FieldDecode::Name, .at = 0x07,
     .since = 0x0C, .name = "Current Usage", .names = &names::kSlotCurrentUsage},
    {.selector = "/SLOTLENGTH", .type = 9, .decode = FieldDecode::Name, .at = 0x08,
     .since = 0x0C, .name = "Length", .names = &names::kSlotLength},
    {.selector = "/SLOTID", .type = 9, .decode = FieldDecode::Special, .at = 0x09, .size = 2,
     .since = 0x0C, .name = "ID", .special = SlotId},
    {.selector = "/SLOTCHARS", .type = 9, .decode = FieldDecode::Special, .at = 0x0B,
     .since = 0x0C, .name = "Characteristics", .kind = FieldKind::List,
     .special = SlotCharacteristics},
    {.selector = "/SLOTBUSADDRESS", .type = 9, .decode = FieldDecode::Special, .at = 0x0D,
     .size = 4, .name = "Bus Address", .special = SlotBusAddress},
    {.selector = "/SLOTSEGMENT", .type = 9, .decode = FieldDecode::Number, .at = 0x0D, .size = 2,
     .since = 0x11, .kind = FieldKind::Number, .none = kNoneIfAllOnes,
     .label = "Segment Group Number"},
    {.selector = "/SLOTBUS", .type = 9, .decode = FieldDecode::Number, .at = 0x0F, .since = 0x11,
     .kind = FieldKind::Number, .none = kNoneIfAllOnes, .label = "Bus Number"},
    {.selector = "/SLOTDEVICE", .type = 9, .decode = FieldDecode::Special, .at = 0x10,
     .kind = FieldKind::Number, .special = SlotDevice, .label = "Device Number"},
    {.selector = "/SLOTFUNCTION", .type = 9, .decode = FieldDecode::Special, .at = 0x10,
     .kind = FieldKind::Number, .special = SlotFunction, .label = "Function Number"},
    {.selector = "/SLOTDATABUSWIDTH", .type = 9, .decode = FieldDecode::Number, .at = 0x11,
     .since = 0x13, .name = "Data Bus Width", .kind = FieldKind::Number},
    {.selector = "/SLOTPEERCOUNT", .type = 9, .decode = FieldDecode::Number, .at = 0x12,
     .since = 0x13, .name = "Peer Devices", .kind = FieldKind::Number},
    {.selector = "/SLOTPEERS", .type = 9, .decode = FieldDecode::Special, .at = 0x12,
     .since = 0x13, .name = "Peer Device N", .kind = FieldKind::List, .special = SlotPeers},
    {.selector = "/SLOTGENERATION", .type = 9, .decode = FieldDecode::Special, .at = 0x13,
     .since = 0x17, .name = "PCI Express Generation", .kind = FieldKind::Number,
     .special = SlotGeneration},
    {.selector = "/SLOTPHYSICALWIDTH", .type = 9, .decode = FieldDecode::Special, .at = 0x14,
     .since = 0x17, .name = "Slot Physical Width", .special = SlotPhysicalWidth},
    {.selector = "/SLOTPITCH", .type = 9, .decode = FieldDecode::Special, .at = 0x15, .size = 2,
     .since = 0x17, .name = "Pitch", .unit = "mm", .kind = FieldKind::Number,
     .special = SlotPitch},
    {.selector = "/SLOTHEIGHT", .type = 9, .decode = FieldDecode::Special, .at = 0x17,
     .name = "Height", .special = SlotHeight},
};

// 7.11 On Board Devices Information (obsolete) (type 10)
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

// 7.12 OEM Strings (type 11)
constexpr FieldRow kOemRows[] = {
    {.selector = "/OEM1", .type = 11, .decode = FieldDecode::StringNumber, .at = 1, .since = 5,
     .place = 1, .label = "OEM String 1"},
    {.selector = "/OEM2", .type = 11, .decode = FieldDecode::StringNumber, .at = 2, .since = 5,
     .place = 2, .label = "OEM String 2"},
    {.selector = "/OEM3", .type = 11, .decode = FieldDecode::StringNumber, .at = 3, .since = 5,
     .place = 3, .label = "OEM String 3"},
    {.selector = "/OEM4", .type = 11, .decode = FieldDecode::StringNumber, .at = 4, .since = 5,
     .place = 4, .label = "OEM String 4"},
    {.selector = "/OEM5", .type = 11, .decode = FieldDecode::StringNumber, .at = 5, .since = 5,
     .place = 5, .label = "OEM String 5"},
    {.selector = "/OEM6", .type = 11, .decode = FieldDecode::StringNumber, .at = 6, .since = 5,
     .place = 6, .label = "OEM String 6"},
    {.selector = "/OEM7", .type = 11, .decode = FieldDecode::StringNumber, .at = 7, .since = 5,
     .place = 7, .label = "OEM String 7"},
    {.selector = "/OEMSTRINGS", .type = 11, .decode = FieldDecode::Special, .at = 0x04,
     .name = "String N", .kind = FieldKind::List, .special = CountedStrings},
};

// 7.13 System Configuration Options (type 12)
constexpr FieldRow kConfigRows[] = {
    {.selector = "/SYSCONFIGOPTIONS", .type = 12, .decode = FieldDecode::Special, .at = 0x04,
     .name = "Option N", .kind = FieldKind::List, .special = CountedStrings},
};

// 7.14 BIOS Language Information (type 13)
constexpr FieldRow kLanguageRows[] = {
    {.selector = "/LANGUAGEFORMAT", .type = 13, .decode = FieldDecode::Special, .at = 0x05,
     .since = 0x16, .name = "Language Description Format", .special = LanguageFormat},
    {.selector = "/LANGUAGEINSTALLABLE", .type = 13, .decode = FieldDecode::Special, .at = 0x04,
     .since = 0x16, .name = "Installable Languages", .kind = FieldKind::List,
     .special = CountedStrings},
    {.selector = "/LANGUAGECURRENT", .type = 13, .decode = FieldDecode::String, .at = 0x15,
     .name = "Currently Installed Language"},
};

// 7.15 Group Associations (type 14)
constexpr FieldRow kGroupRows[] = {
    {.selector = "/GROUPASSOCNAME", .type = 14, .decode = FieldDecode::String, .at = 0x04,
     .name = "Name", .identifies = true},
    {.selector = "/GROUPASSOCITEMS", .type = 14, .decode = FieldDecode::Special, .at = 0x04,
     .name = "Items", .kind = FieldKind::List, .special = GroupItems, .refersToHandle = true},
};

// The strings no field names, as the earlier reports showed them.
constexpr PlaceLabel kGroupPlaces[] = {{1, "Group name"}};

constexpr StructureGroup kGroups[] = {
    {.selector = "/MEMCTRL", .type = 5, .heading = "Memory Controller Information ",
     .what = "memory controller (obsolete)",
     .rows = kMemoryControllerRows, .rowCount = std::size(kMemoryControllerRows)},
    {.selector = "/MEMMODULE", .type = 6, .heading = "Memory Module Information",
     .what = "memory module (obsolete)",
     .rows = kMemoryModuleRows, .rowCount = std::size(kMemoryModuleRows)},
    {.selector = "/PORT", .type = 8, .heading = "Port Connector",
     .what = "port connector",
     .rows = kPortRows, .rowCount = std::size(kPortRows)},
    {.selector = "/SLOT", .type = 9, .heading = "Slot Information",
     .what = "system slot",
     .rows = kSlotRows, .rowCount = std::size(kSlotRows)},
    {.selector = "/DEVICE", .type = 10, .heading = "Physical Memory",
     .what = "on-board devices (obsolete)",
     .rows = kDeviceRows, .rowCount = std::size(kDeviceRows)},
    {.selector = "/OEM", .type = 11, .heading = "OEM Strings",
     .what = "OEM strings",
     .rows = kOemRows, .rowCount = std::size(kOemRows)},
    {.selector = "/SYSCONFIG", .type = 12, .heading = "System Config Options",
     .what = "system configuration options",
     .rows = kConfigRows, .rowCount = std::size(kConfigRows)},
    {.selector = "/LANGUAGE", .type = 13, .heading = "BIOS Language",
     .what = "BIOS languages",
     .rows = kLanguageRows, .rowCount = std::size(kLanguageRows)},
    {.selector = "/GROUPASSOC", .type = 14, .heading = "Group Associations",
     .what = "group association",
     .rows = kGroupRows, .rowCount = std::size(kGroupRows), .places = kGroupPlaces,
     .placeCount = std::size(kGroupPlaces)},
};

}  // namespace

extern const GroupList kConnectorGroups{kGroups, std::size(kGroups)};

}  // namespace tarnlix
