// SMBIOS 3.9, 7.6 Memory Controller Information (Obsolete) (Type 5)
#include "acquire/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

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

}  // namespace

extern const StructureGroup kType05Group{
    .selector = "/MEMCTRL", .type = 5, .heading = "Memory Controller Information ",
    .what = "memory controller (obsolete)",
    .rows = kMemoryControllerRows, .rowCount = std::size(kMemoryControllerRows)};

}  // namespace tarnlix
