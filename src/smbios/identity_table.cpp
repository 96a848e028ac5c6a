#include "smbios/identity_table.h"

#include <cstdlib>
#include <map>
#include <string>

#include "acquire/bytes.h"
#include "platform/ascii.h"
#include "smbios/fields.h"
#include "smbios/made_structure.h"

namespace tarnlix {

namespace {

// A BIOS structure's ROM size: the byte, then the extended word at 0x18
// whose top two bits give the unit (MB, GB, or none for the others).
constexpr uint8_t kBiosRomSize = 0x09;
constexpr size_t kBiosExtendedRomEnd = 0x1A;
constexpr uint16_t kNoRomSizeUnit = 0xC000;

// The UUID's text as the system shows it, into the 16 bytes at `at` in the
// order a table of no version is read with.
void WriteUuid(const std::string& text, uint8_t* at) {
  uint8_t bytes[16] = {};
  int count = 0;
  for (char c : text) {
    if (c == '-') continue;
    int digit = HexDigitValue(c);
    if (digit < 0 || count == 32) return;
    bytes[count / 2] = static_cast<uint8_t>(bytes[count / 2] << 4 | digit);
    ++count;
  }
  if (count != 32) return;
  const int* order = UuidByteOrder(true);
  for (int i = 0; i < 16; ++i) at[order[i]] = bytes[i];
}

// "major.minor", each 0 to 254, into the two bytes at `at`.
void WriteRelease(const std::string& text, uint8_t* at) {
  char* end = nullptr;
  unsigned long major = std::strtoul(text.c_str(), &end, 10);
  if (end == text.c_str() || *end != '.') return;
  const char* minorText = end + 1;
  unsigned long minor = std::strtoul(minorText, &end, 10);
  if (end == minorText || *end != '\0' || major >= 0xFF || minor >= 0xFF) return;
  at[0] = static_cast<uint8_t>(major);
  at[1] = static_cast<uint8_t>(minor);
}

void Write(const FieldRow& row, const std::string& text, MadeStructure& structure) {
  uint8_t* at = structure.formatted.data() + row.at;
  switch (row.decode) {
    case FieldDecode::String:
      *at = structure.AddString(text);
      return;
    case FieldDecode::Uuid:
      WriteUuid(text, at);
      return;
    case FieldDecode::Release:
      WriteRelease(text, at);
      return;
    case FieldDecode::Name:  // a code, as its number
      *at = static_cast<uint8_t>(std::strtoul(text.c_str(), nullptr, 10));
      return;
    default:
      return;  // no system shows anything else
  }
}

}  // namespace

RawTablePtr BuildPublishedTable(const std::vector<IdentityText>& identity,
                                std::string_view memoryProperties) {
  std::map<uint8_t, MadeStructure> structures;
  // Every structure as long as the fields the system keeps for it need,
  // whichever of them can be read; a release no file gives reads as none.
  for (const IdentityText& field : identity) {
    const FieldRow* row = FieldOfText(field.selector);
    if (row == nullptr || !row->OfStructure() || row->type > 0xFF) continue;
    std::vector<uint8_t>& formatted = structures[static_cast<uint8_t>(row->type)].formatted;
    if (formatted.size() < row->Since()) formatted.resize(row->Since());
  }
  // What no text fills reads as no value: a release as 0xFF, and a BIOS
  // structure long enough for its releases has a ROM size, which is then
  // in the extended word, in a unit that shows none.
  for (auto& [type, structure] : structures) {
    const StructureGroup* group = GroupOf(type);
    for (size_t i = 0; group != nullptr && i < group->rowCount; ++i) {
      const FieldRow& row = group->rows[i];
      std::vector<uint8_t>& formatted = structure.formatted;
      if (row.decode != FieldDecode::Release || formatted.size() < row.Since()) continue;
      formatted[row.at] = formatted[row.at + 1] = 0xFF;
      if (type == 0 && formatted.size() < kBiosExtendedRomEnd) {
        formatted.resize(kBiosExtendedRomEnd);
        formatted[kBiosRomSize] = 0xFF;
        WriteLe16(formatted.data() + kBiosRomSize + 0x0F, kNoRomSizeUnit);
      }
    }
  }
  for (const IdentityText& field : identity) {
    const FieldRow* row = FieldOfText(field.selector);
    if (row == nullptr || !field.text || structures.count(static_cast<uint8_t>(row->type)) == 0) {
      continue;
    }
    Write(*row, *field.text, structures[static_cast<uint8_t>(row->type)]);
  }

  std::vector<uint8_t> table;
  uint16_t handle = 0;
  for (auto& [type, structure] : structures) structure.AppendTo(type, handle++, table);
  AppendMemoryStructures(memoryProperties, table);
  MadeStructure().AppendTo(127, handle, table);  // the end of the table
  return MakeHeaderFormTable(RawTableSource::Published, table.data(),
                             static_cast<uint32_t>(table.size()), 0, 0, 0);
}

}  // namespace tarnlix
