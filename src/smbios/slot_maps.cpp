#include "smbios/slot_maps.h"

namespace tarnlix {

namespace {

constexpr SlotRule P(uint8_t stringNumber) {
  return {SlotSource::Positional, stringNumber};
}
constexpr SlotRule F(uint8_t offset) { return {SlotSource::Field, offset}; }
constexpr SlotRule kChassisType{SlotSource::ChassisTypeName, 0};
constexpr SlotRule kChassisSku{SlotSource::ChassisSku, 0};

// Firmware often leaves string fields at 0, so slots follow each structure's
// own string-number fields; slots with no such field keep the order of the
// string-set.
constexpr SlotRule kPositional[7] = {P(1), P(2), P(3), P(4), P(5), P(6), P(7)};
constexpr SlotRule kBios[7] = {F(0x04), F(0x05), F(0x08), P(4), P(5), P(6), P(7)};
constexpr SlotRule kSystem[7] = {F(0x04), F(0x05), F(0x06), F(0x07),
                                 F(0x19), F(0x1A), P(7)};
constexpr SlotRule kBoard[7] = {F(0x04), F(0x05), F(0x06), F(0x07),
                                F(0x08), F(0x0A), P(7)};
constexpr SlotRule kEnclosure[7] = {F(0x04), kChassisType, F(0x06), F(0x07),
                                    F(0x08), kChassisSku,  P(7)};
constexpr SlotRule kProcessor[7] = {F(0x04), F(0x07), F(0x10), F(0x20),
                                    F(0x21), F(0x22), P(7)};
constexpr SlotRule kCache[7] = {F(0x04), P(2), P(3), P(4), P(5), P(6), P(7)};
constexpr SlotRule kPort[7] = {F(0x04), F(0x06), P(3), P(4), P(5), P(6), P(7)};
constexpr SlotRule kSlot[7] = {F(0x04), P(2), P(3), P(4), P(5), P(6), P(7)};
constexpr SlotRule kOnboard[7] = {F(0x05), P(2), P(3), P(4), P(5), P(6), P(7)};
constexpr SlotRule kMemoryDevice[7] = {F(0x10), F(0x11), F(0x17), F(0x18),
                                       F(0x19), F(0x1A), P(7)};
constexpr SlotRule kBattery[7] = {F(0x04), F(0x05), F(0x06), F(0x07),
                                  F(0x08), F(0x0E), F(0x14)};

constexpr const char* kChassisNames[] = {
    nullptr,
    "Other",
    "Unknown",
    "Desktop",
    "Low Profile Desktop",
    "Pizza Box",
    "Mini Tower",
    "Tower",
    "Portable",
    "Laptop",
    "Notebook",
    "Hand Held",
    "Docking Station",
    "All in One",
    "Sub Notebook",
    "Space-saving",
    "Lunch Box",
    "Main Server Chassis",
    "Expansion Chassis",
    "SubChassis",
    "Bus Expansion Chassis",
    "Peripheral Chassis",
    "RAID Chassis",
    "Rack Mount Chassis",
    "Sealed-case PC",
    "Multi-system chassis",
    "Compact PCI",
    "AdvancedTCA",
    "Blade",
    "Blade Enclosure",
    "Tablet",
    "Convertible",
    "Detachable",
    "IoT Gateway",
    "Embedded PC",
    "Mini PC",
    "Stick PC",
};

}  // namespace

const SlotRule* SlotRulesFor(uint8_t type) {
  switch (type) {
    case 0: return kBios;
    case 1: return kSystem;
    case 2: return kBoard;
    case 3: return kEnclosure;
    case 4: return kProcessor;
    case 7: return kCache;
    case 8: return kPort;
    case 9: return kSlot;
    case 10: return kOnboard;
    case 17: return kMemoryDevice;
    case 22: return kBattery;
    default: return kPositional;
  }
}

uint8_t SlotStringNumber(const SlotRule& rule, const uint8_t* structure,
                         size_t formattedLength) {
  switch (rule.source) {
    case SlotSource::Positional:
      return rule.value;
    case SlotSource::Field:
      return rule.value < formattedLength ? structure[rule.value] : 0;
    case SlotSource::ChassisSku: {
      // The SKU follows the contained-element records: count at 0x13, size
      // of each at 0x14.
      if (formattedLength <= 0x14) return 0;
      size_t offset = 0x15 + size_t{structure[0x13]} * structure[0x14];
      return offset < formattedLength ? structure[offset] : 0;
    }
    case SlotSource::ChassisTypeName:
      break;
  }
  return 0;
}

const char* ChassisTypeName(uint8_t typeByte) {
  uint8_t type = typeByte & 0x7F;
  if (type >= sizeof kChassisNames / sizeof kChassisNames[0]) return nullptr;
  return kChassisNames[type];
}

}  // namespace tarnlix
