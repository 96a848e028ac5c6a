// Labelled reports of the record store: the full dump and one type's group.
#include "platform/stdout.h"
#include "smbios/names.h"
#include "smbios/reader.h"

namespace tarnlix {

namespace {

void PrintRecordBody(const SmbiosRecord& record) {
  const char* const* labels = FieldLabelTable[record.type];
  for (int slot = 0; slot < kSlotsPerRecord; ++slot) {
    const char* value = record.strings[slot];
    if (value == nullptr) continue;
    const char* label = labels[slot] != nullptr ? labels[slot] : "(null)";
    PrintOut("\t%s :\t%s\n", label, value);
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
  for (const SmbiosRecord& record : records) {
    if (!record.HasStrings()) continue;
    PrintOut("%s:\n\n", TypeNameTable[record.type]);
    PrintRecordBody(record);
  }
}

void SmbiosReader::PrintGroup(int type) const {
  if (type < 0 || type >= kTypeNameCount) return;
  PrintOut("%s\n\n", TypeNameTable[type]);
  int printed = 0;
  for (const SmbiosRecord& record : records) {
    if (!record.stored || record.type != type || !record.HasStrings()) continue;
    ++printed;
    PrintRecordBody(record);
  }
  if (printed == 0) WriteOut("\tNo information\n");
}

}  // namespace tarnlix
