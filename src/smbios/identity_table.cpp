#include "smbios/identity_table.h"

#include <cstdlib>
#include <map>
#include <string>

#include "acquire/bytes.h"
#include "platform/ascii.h"
#include "smbios/fields.h"

namespace tarnlix {

namespace {

// One structure under construction: the formatted area, then its strings.
struct Structure {
  std::vector<uint8_t> formatted;
  std::vector<std::string> strings;
};

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

void Write(const FieldRow& row, const std::string& text, Structure& structure) {
  uint8_t* at = structure.formatted.data() + row.at;
  switch (row.decode) {
    case FieldDecode::String:
      if (text.empty()) return;
      structure.strings.push_back(text);
      *at = static_cast<uint8_t>(structure.strings.size());
      return;
    case FieldDecode::Uuid:
      WriteUuid(text, at);
      return;
    case FieldDecode::Name:  // a code, as its number
      *at = static_cast<uint8_t>(std::strtoul(text.c_str(), nullptr, 10));
      return;
    default:
      return;  // no system shows anything else
  }
}

}  // namespace

RawTablePtr BuildIdentityTable(const std::vector<IdentityText>& identity) {
  std::map<uint8_t, Structure> structures;
  // Every structure as long as the fields the system keeps for it need,
  // whichever of them can be read.
  for (const IdentityText& field : identity) {
    const FieldRow* row = FindField(field.selector);
    if (row == nullptr || !row->OfStructure() || row->type > 0xFF) continue;
    std::vector<uint8_t>& formatted = structures[static_cast<uint8_t>(row->type)].formatted;
    if (formatted.size() < row->Since()) formatted.resize(row->Since());
  }
  for (const IdentityText& field : identity) {
    const FieldRow* row = FindField(field.selector);
    if (row == nullptr || !field.text || structures.count(static_cast<uint8_t>(row->type)) == 0) {
      continue;
    }
    Write(*row, *field.text, structures[static_cast<uint8_t>(row->type)]);
  }
  structures[127].formatted.resize(4);  // the end of the table

  std::vector<uint8_t> table;
  uint16_t handle = 0;
  for (auto& [type, structure] : structures) {
    if (structure.formatted.size() < 4) structure.formatted.resize(4);
    structure.formatted[0] = type;
    structure.formatted[1] = static_cast<uint8_t>(structure.formatted.size());
    WriteLe16(structure.formatted.data() + 2, handle++);
    table.insert(table.end(), structure.formatted.begin(), structure.formatted.end());
    for (const std::string& text : structure.strings) {
      table.insert(table.end(), text.begin(), text.end());
      table.push_back(0);
    }
    if (structure.strings.empty()) table.push_back(0);
    table.push_back(0);
  }
  return MakeHeaderFormTable(RawTableSource::Registry, table.data(),
                             static_cast<uint32_t>(table.size()), 0, 0, 0);
}

}  // namespace tarnlix
