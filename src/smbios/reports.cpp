// Labelled reports of the record store: the full dump and one type's group.
#include <string>

#include "platform/stdout.h"
#include "smbios/names.h"
#include "smbios/reader.h"

namespace tarnlix {

namespace {

// Each value line is tab, label, " :", tab, value. Lines are assembled by
// hand: a dump of a large table prints tens of thousands of them.
void PrintRecordBody(const SmbiosRecord& record, std::string& line) {
  const char* const* labels = FieldLabelTable[record.type];
  for (int slot = 0; slot < kSlotsPerRecord; ++slot) {
    const char* value = record.strings[slot];
    if (value == nullptr) continue;
    const char* label = labels[slot] != nullptr ? labels[slot] : "(null)";
    line.assign("\t").append(label).append(" :\t").append(value).append("\n");
    WriteOut(line);
  }
  if (record.uuid != nullptr) {
    line.assign("\tUUID           :\t").append(record.uuid).append("\n");
    WriteOut(line);
  }
  WriteOut("\n");
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
  std::string line;
  for (const SmbiosRecord& record : records) {
    if (!record.HasText()) continue;
    line.assign(TypeNameTable[record.type]).append(":\n\n");
    WriteOut(line);
    PrintRecordBody(record, line);
  }
}

void SmbiosReader::PrintGroup(int type) const {
  if (type < 0 || type >= kTypeNameCount) return;
  PrintOut("%s\n\n", TypeNameTable[type]);
  int printed = 0;
  std::string line;
  for (const SmbiosRecord& record : records) {
    if (!record.stored || record.type != type || !record.HasText()) continue;
    ++printed;
    PrintRecordBody(record, line);
  }
  if (printed == 0) WriteOut("\tNo information\n");
}

}  // namespace tarnlix
