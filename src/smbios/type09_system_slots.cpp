// SMBIOS 3.9, 7.10 System Slots (Type 9)
#include "acquire/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

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

}  // namespace

extern const StructureGroup kType09Group{
    .selector = "/SLOT", .type = 9, .heading = "Slot Information",
    .what = "system slot",
    .rows = kSlotRows, .rowCount = std::size(kSlotRows)};

}  // namespace tarnlix
