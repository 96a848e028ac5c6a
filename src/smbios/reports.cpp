// Labelled reports of the record store: the full dump and one type's group.
#include <cstring>
#include <string>

#include "platform/stdout.h"
#include "smbios/names.h"
#include "smbios/reader.h"

namespace tarnlix {

namespace {

// Appends a record's lines, each tab, label, " :", tab, value, and the empty
// line that ends the record. A record is written as one block, its size
// worked out first: a dump of a large table has tens of thousands of lines,
// and every write is flushed.
void AppendRecordBody(const SmbiosRecord& record, std::string& block) {
  struct Line {
    const char* label;
    size_t labelLength;
    const char* value;
    size_t valueLength;
    const char* unit;
    size_t unitLength;
  } lines[kSlotsPerRecord + kMaxValues];
  int count = 0;
  size_t total = 1;
  auto add = [&](const char* label, const char* value, const char* unit) {
    Line& line = lines[count++];
    line = {label, std::strlen(label), value, std::strlen(value), unit, std::strlen(unit)};
    total += line.labelLength + line.valueLength + line.unitLength + 5;
  };
  const char* const* labels = FieldLabelTable[record.type];
  for (int slot = 0; slot < kSlotsPerRecord; ++slot) {
    if (record.strings[slot] == nullptr) continue;
    add(labels[slot] != nullptr ? labels[slot] : "(null)", record.strings[slot], "");
  }
  // The decoded values follow the strings, labelled in the same columns.
  int valueCount = 0;
  const FieldRow* const* valueRows = ValueRowsOf(record.type, &valueCount);
  for (int i = 0; i < valueCount; ++i) {
    if (record.values[i] != nullptr) add(valueRows[i]->label, record.values[i], valueRows[i]->unit);
  }

  size_t at = block.size();
  block.resize(at + total);
  char* out = &block[at];
  for (int i = 0; i < count; ++i) {
    *out++ = '\t';
    std::memcpy(out, lines[i].label, lines[i].labelLength);
    out += lines[i].labelLength;
    std::memcpy(out, " :\t", 3);
    out += 3;
    std::memcpy(out, lines[i].value, lines[i].valueLength);
    out += lines[i].valueLength;
    std::memcpy(out, lines[i].unit, lines[i].unitLength);
    out += lines[i].unitLength;
    *out++ = '\n';
  }
  *out = '\n';
}

}  // namespace

void SmbiosReader::PrintAll() const {
  if (loaded == 0 || records.empty()) {
    WriteOut("Error: Failed to retrieve BIOS information from system\n");
    return;
  }
  if (versionMajor > 0) {
    PrintOut("- SMBBios data v%i.%i -\n\n", versionMajor, versionMinor);
  }
  std::string block;
  block.reserve(1024);
  for (const SmbiosRecord& record : records) {
    if (!record.HasText()) continue;
    block.assign(TypeNameTable[record.type]).append(":\n\n");
    AppendRecordBody(record, block);
    WriteOut(block);
  }
}

void SmbiosReader::PrintGroup(int type) const {
  if (type < 0 || type >= kTypeNameCount) return;
  PrintOut("%s\n\n", TypeNameTable[type]);
  int printed = 0;
  std::string block;
  for (const SmbiosRecord& record : records) {
    if (!record.stored || record.type != type || !record.HasText()) continue;
    ++printed;
    block.clear();
    AppendRecordBody(record, block);
    WriteOut(block);
  }
  if (printed == 0) WriteOut("\tNo information\n");
}

}  // namespace tarnlix
