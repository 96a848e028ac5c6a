// A structure built from texts the system shows, before it joins a table.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <map>

#include "acquire/bytes.h"
#include "smbios/fields.h"

namespace tarnlix {

struct MadeStructure {
  std::vector<uint8_t> formatted;  // from the type byte on
  std::string strings;             // each ended by its NUL, as the table holds them
  uint8_t stringCount = 0;

  // Adds a string (up to a NUL in it) and returns its number; 0, adding
  // nothing, for an empty one or past the 255 a structure can number.
  uint8_t AddString(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    if (text.empty() || stringCount == 255) return 0;
    strings.append(text);
    strings.push_back('\0');
    return ++stringCount;
  }

  // Appends the structure to table with its type, length and handle.
  void AppendTo(uint8_t type, uint16_t handle, std::vector<uint8_t>& table) {
    if (formatted.size() < 4) formatted.resize(4);
    formatted[0] = type;
    formatted[1] = static_cast<uint8_t>(formatted.size());
    WriteLe16(formatted.data() + 2, handle);
    table.insert(table.end(), formatted.begin(), formatted.end());
    table.insert(table.end(), strings.begin(), strings.end());
    if (strings.empty()) table.push_back(0);
    table.push_back(0);
  }
};

// The row of a selector the system's texts are named by (a string that lives
// as long as the process), looked up once: a file names hundreds; null for
// a name no field has.
inline const FieldRow* FieldOfText(const char* selector) {
  static std::map<const char*, const FieldRow*> rows;
  auto at = rows.find(selector);
  if (at == rows.end()) at = rows.emplace(selector, FindField(selector)).first;
  return at->second;
}

}  // namespace tarnlix
