// Hand-made SMBIOS tables for tests.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace tarnlix::test {

// One structure: a formatted area of the given length (header included),
// with bytes set at offsets, then its string-set.
struct Structure {
  Structure(uint8_t type, uint8_t length,
            std::initializer_list<std::pair<uint8_t, uint8_t>> bytes = {},
            std::vector<std::string> strings = {})
      : formatted(length < 4 ? 4 : length, 0), strings(std::move(strings)) {
    formatted[0] = type;
    formatted[1] = length;
    for (auto [offset, value] : bytes) {
      if (offset >= formatted.size()) formatted.resize(offset + 1u, 0);
      formatted[offset] = value;
    }
  }

  std::vector<uint8_t> Bytes() const {
    std::vector<uint8_t> out(formatted);
    for (const std::string& text : strings) {
      out.insert(out.end(), text.begin(), text.end());
      out.push_back(0);
    }
    if (strings.empty()) out.push_back(0);
    out.push_back(0);
    return out;
  }

  std::vector<uint8_t> formatted;
  std::vector<std::string> strings;
};

inline std::vector<uint8_t> BareTable(const std::vector<Structure>& structures) {
  std::vector<uint8_t> out;
  for (const Structure& s : structures) {
    std::vector<uint8_t> bytes = s.Bytes();
    out.insert(out.end(), bytes.begin(), bytes.end());
  }
  return out;
}

inline std::vector<uint8_t> HeaderForm(const std::vector<uint8_t>& table,
                                       uint8_t major = 2, uint8_t minor = 7) {
  std::vector<uint8_t> out = {0, major, minor, 0};
  uint32_t length = static_cast<uint32_t>(table.size());
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(length >> (8 * i)));
  out.insert(out.end(), table.begin(), table.end());
  return out;
}

// A BIOS structure (type 0) with vendor, version and date as strings 1-3,
// and no release numbers.
inline Structure Bios(const std::string& vendor, const std::string& version,
                      const std::string& date) {
  return Structure(0, 0x18,
                   {{0x04, 1}, {0x05, 2}, {0x08, 3}, {0x14, 0xFF}, {0x15, 0xFF},
                    {0x16, 0xFF}, {0x17, 0xFF}},
                   {vendor, version, date});
}

// A System Information structure (type 1) with its strings in field order:
// manufacturer, product, version, serial, SKU, family; an empty text leaves
// its field at 0.
inline Structure SystemInfo(const std::vector<std::string>& fields) {
  Structure s(1, 0x1B);
  const uint8_t offsets[] = {0x04, 0x05, 0x06, 0x07, 0x19, 0x1A};
  for (size_t i = 0; i < fields.size() && i < 6; ++i) {
    if (fields[i].empty()) continue;
    s.strings.push_back(fields[i]);
    s.formatted[offsets[i]] = static_cast<uint8_t>(s.strings.size());
  }
  return s;
}

inline Structure EndOfTable() { return Structure(127, 4); }

}  // namespace tarnlix::test
