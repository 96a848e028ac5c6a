// The saved-file loader on arbitrary file contents: entry points with any
// table address and length, header forms whose length field is anything,
// bare tables. The table it hands over must lie inside the file, and the walk
// of it must keep the store's promises.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "acquire/bytes.h"
#include "acquire/entry_point.h"
#include "acquire/structure_step.h"
#include "fuzz_support.h"

namespace tarnlix::fuzz {
namespace {

const char kPath[] = "dump.bin";
const char kRefusal[] = "Error: cannot read SMBIOS table from dump.bin: ";

// What the loader must make of the file, worked out independently of it.
void CheckLayout(const std::vector<uint8_t>& file, const RawSmbiosTable* table,
                 const std::string& out) {
  if (file.empty()) {
    FUZZ_CHECK(table == nullptr);
    return;
  }
  EntryPointKind kind = EntryPointKindAt(file.data(), file.size());
  if (kind != EntryPointKind::None) {
    EntryPoint ep;
    if (!ParseEntryPoint(file.data(), file.size(), &ep) ||
        ep.tableAddress >= file.size()) {
      FUZZ_CHECK(table == nullptr);
      FUZZ_CHECK(out.rfind(kRefusal, 0) == 0);
      return;
    }
    size_t expected = std::min<uint64_t>(ep.tableLength, file.size() - ep.tableAddress);
    // Bytes in which not one structure can be walked are no table.
    if (StructureEnd(file.data() + ep.tableAddress, expected, 0) == 0) {
      FUZZ_CHECK(table == nullptr);
      FUZZ_CHECK(out == std::string(kRefusal) + "no SMBIOS structure in it\n");
      return;
    }
    FUZZ_CHECK(table != nullptr);
    FUZZ_CHECK(table->hasHeader);
    FUZZ_CHECK(table->length == kRawHeaderSize + expected);
    FUZZ_CHECK(ReadLe32(table->data + 4) == expected);
    FUZZ_CHECK(std::memcmp(table->data + kRawHeaderSize,
                           file.data() + ep.tableAddress, expected) == 0);
    return;
  }
  bool headerForm = file.size() >= kRawHeaderSize &&
                    ReadLe32(file.data() + 4) == file.size() - kRawHeaderSize;
  if (StructureEnd(file.data(), file.size(), headerForm ? kRawHeaderSize : 0) == 0) {
    FUZZ_CHECK(table == nullptr);
    FUZZ_CHECK(out == std::string(kRefusal) + "no SMBIOS structure in it\n");
    return;
  }
  FUZZ_CHECK(table != nullptr);
  FUZZ_CHECK(table->length == file.size());
  FUZZ_CHECK(std::memcmp(table->data, file.data(), file.size()) == 0);
  FUZZ_CHECK(table->hasHeader == headerForm);
}

// A table saved again (/DUMP) reads back as the same structures with the
// same version.
void CheckSavedAgain(fake::FakePlatform& fake, const RawSmbiosTable& table) {
  std::string reason;
  // The version is the caller's: any two bytes must come back.
  uint8_t major = table.length > 1 ? table.data[table.length - 1] : 3;
  uint8_t minor = table.length > 2 ? table.data[table.length - 2] : 0;
  FUZZ_CHECK(WriteDumpFile("again.bin", table, major, minor, &reason));
  size_t start = table.hasHeader ? std::min<size_t>(table.length, kRawHeaderSize) : 0;
  size_t length = table.length - start;
  RawTablePtr again = ReadDumpFile("again.bin");
  fake.system.files.erase("again.bin");
  // A table without a single byte is saved with its address at the end of
  // the file, which the loader refuses like any address past the end; one
  // without a structure is refused too.
  if (length == 0 || StructureEnd(table.data + start, length, 0) == 0) return;
  FUZZ_CHECK(again != nullptr);
  FUZZ_CHECK(again->hasHeader);
  FUZZ_CHECK(again->length == kRawHeaderSize + length);
  FUZZ_CHECK(std::memcmp(again->data + kRawHeaderSize, table.data + start, length) == 0);
  FUZZ_CHECK(again->data[1] == major && again->data[2] == minor);
}

}  // namespace
}  // namespace tarnlix::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tarnlix;
  std::vector<uint8_t> file(data, data + size);
  {
    fake::FakePlatform fake;
    fake.system.files[fuzz::kPath] = file;
    {
      RawTablePtr table = ReadDumpFile(fuzz::kPath);
      fuzz::CheckLayout(file, table.get(), fake.system.out);
      if (table) fuzz::CheckSavedAgain(fake, *table);
    }
    fuzz::CheckReleased(fake);
  }
  {
    fake::FakePlatform fake;
    fake.system.files[fuzz::kPath] = file;
    {
      SmbiosReader reader;
      reader.SetSourceFile(fuzz::kPath);
      if (reader.Load()) {
        // The walked bytes are a copy of part of the file (after the header
        // the loader may have put in front of them).
        fuzz::CheckStore(reader, file);
        // A group's fields, one group per input: the table target asks
        // every output of every group.
        fuzz::ExerciseGroup(fake, reader, file.size());
      }
    }
    fuzz::CheckReleased(fake);
  }
  return 0;
}
