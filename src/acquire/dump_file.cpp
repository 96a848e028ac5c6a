// Tables saved to files: "--dump-bin" dumps (an entry point, then the table
// at the offset the entry point gives), the platform's raw header form, and
// bare structure tables.
#include <algorithm>
#include <cstring>

#include "acquire/bytes.h"
#include "acquire/entry_point.h"
#include "acquire/raw_table.h"
#include "acquire/structure_step.h"
#include "platform/platform.h"
#include "platform/stdout.h"

namespace tarnlix {

namespace {

// Large enough for any real table (the 64-bit entry point allows far more,
// but firmware keeps tables to a few pages); it also bounds what a read of a
// device such as /dev/zero may take.
constexpr size_t kMaxDumpFileSize = 16u * 1024u * 1024u;

// Why a file is refused: written to standard output, or kept for the
// caller.
RawTablePtr Refuse(const std::string& path, const std::string& reason, std::string* refusal) {
  std::string message = "Error: cannot read SMBIOS table from " + path + ": " + reason;
  if (refusal != nullptr) {
    *refusal = message;
  } else {
    WriteOut(message + "\n");
  }
  return nullptr;
}

// A file in which not one structure can be walked (a text file, random
// bytes) is not a table, however its first bytes happen to read.
constexpr const char* kNoStructure = "no SMBIOS structure in it";
bool HasStructure(const uint8_t* table, size_t length, size_t start) {
  return StructureEnd(table, length, start) != 0;
}

RawTablePtr FromEntryPoint(const std::string& path, const std::vector<uint8_t>& file,
                           std::string* refusal) {
  EntryPoint ep;
  if (!ParseEntryPoint(file.data(), file.size(), &ep)) {
    return Refuse(path, "the entry point is cut short", refusal);
  }
  if (ep.tableAddress >= file.size()) {
    return Refuse(path, "the table address lies past the end of the file", refusal);
  }
  uint64_t available = file.size() - ep.tableAddress;
  uint32_t length = static_cast<uint32_t>(
      ep.tableLength < available ? ep.tableLength : available);
  if (!HasStructure(file.data() + ep.tableAddress, length, 0)) {
    return Refuse(path, kNoStructure, refusal);
  }
  RawTablePtr table =
      MakeHeaderFormTable(RawTableSource::File, file.data() + ep.tableAddress, length, ep);
  if (table) table->fileOffset = ep.tableAddress;
  return table;
}

}  // namespace

RawTablePtr ReadDumpFile(const std::string& path, std::string* refusal) {
  FileReadResult read = platform().system->ReadFile(path, kMaxDumpFileSize);
  if (!read.ok) return Refuse(path, read.reason, refusal);
  if (read.overLimit) return Refuse(path, "the file is larger than 16 MiB", refusal);
  const std::vector<uint8_t>& file = read.bytes;
  if (file.empty()) return Refuse(path, "the file is empty", refusal);

  if (EntryPointKindAt(file.data(), file.size()) != EntryPointKind::None) {
    return FromEntryPoint(path, file, refusal);
  }

  uint32_t size = static_cast<uint32_t>(file.size());
  bool headerForm =
      size >= kRawHeaderSize && ReadLe32(file.data() + 4) == size - kRawHeaderSize;
  if (!HasStructure(file.data(), size, headerForm ? kRawHeaderSize : 0)) {
    return Refuse(path, kNoStructure, refusal);
  }
  auto* block = static_cast<uint8_t*>(platform().memory->HeapAlloc(size));
  if (block == nullptr) return Refuse(path, "out of memory", refusal);
  std::memcpy(block, file.data(), size);
  auto table = std::make_unique<RawSmbiosTable>(RawTableSource::File, block, size, headerForm);
  table->fileOffset = headerForm ? kRawHeaderSize : 0;
  return table;
}

bool WriteDumpFile(const std::string& path, const RawSmbiosTable& table, uint8_t major,
                   uint8_t minor, std::string* reason) {
  constexpr size_t kEntryPointLength = 0x18;
  constexpr size_t kTableOffset = 0x20;
  const uint8_t* structures = table.data;
  uint32_t length = table.length;
  uint8_t revision = 0;
  if (table.hasHeader) {
    uint32_t header = std::min(length, kRawHeaderSize);
    if (header > 3) revision = table.data[3];
    structures += header;
    length -= header;
  }

  std::vector<uint8_t> file(kTableOffset + length, 0);
  uint8_t* entry = file.data();
  std::memcpy(entry, "_SM3_", 5);
  entry[0x06] = kEntryPointLength;
  entry[0x07] = major;
  entry[0x08] = minor;
  entry[0x09] = revision;
  entry[0x0A] = 1;  // entry point revision: SMBIOS 3.0
  WriteLe32(entry + 0x0C, length);
  WriteLe64(entry + 0x10, kTableOffset);
  uint8_t sum = 0;
  for (size_t i = 0; i < kEntryPointLength; ++i) sum = static_cast<uint8_t>(sum + entry[i]);
  entry[0x05] = static_cast<uint8_t>(0x100 - sum);
  if (length > 0) std::memcpy(file.data() + kTableOffset, structures, length);
  return platform().system->WriteFileReplacing(path, file.data(), file.size(), reason);
}

}  // namespace tarnlix
