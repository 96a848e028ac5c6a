// Which string of a structure lands in which of a record's seven slots.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tarnlix {

enum class SlotSource : uint8_t {
  Positional,       // value is the string number itself
  Field,            // value is the offset of the string-number byte
  ChassisTypeName,  // the name of the enclosure's chassis type (byte 0x05)
  ChassisSku,       // the enclosure's SKU, placed after its contained elements
};

struct SlotRule {
  SlotSource source;
  uint8_t value;
};

// The seven rules of a structure type.
const SlotRule* SlotRulesFor(uint8_t type);

// The string number a rule names in a structure (0 for none).
uint8_t SlotStringNumber(const SlotRule& rule, const uint8_t* structure,
                         size_t formattedLength);

// The standard's name for a chassis type byte (the lock bit masked off), or
// null for 0 and values past the list.
const char* ChassisTypeName(uint8_t typeByte);

}  // namespace tarnlix
