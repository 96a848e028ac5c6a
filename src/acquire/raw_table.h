// The acquired SMBIOS table and the choice of its source.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "acquire/entry_point.h"
#include "platform/platform.h"

namespace tarnlix {

enum class RawTableSource { Firmware, Registry, Direct, Scan, File };

// Bytes of a table as a source delivered them. With hasHeader the bytes begin
// with the platform's 8-byte raw header (calling method, major and minor
// version, DMI revision, 32-bit length) and the structures follow at byte 8.
// The bytes are released once, by the release that matches their allocation.
class RawSmbiosTable {
 public:
  RawSmbiosTable(RawTableSource source, uint8_t* data, uint32_t length,
                 bool hasHeader)
      : source(source), data(data), length(length), hasHeader(hasHeader) {}
  ~RawSmbiosTable();
  RawSmbiosTable(const RawSmbiosTable&) = delete;
  RawSmbiosTable& operator=(const RawSmbiosTable&) = delete;

  const RawTableSource source;
  uint8_t* const data;
  const uint32_t length;
  const bool hasHeader;
  // What the entry point the table came with says of it, where it came with
  // one: its length (a maximum in SMBIOS 3) and its number of structures;
  // 0 where it says nothing.
  uint32_t announcedLength = 0;
  uint16_t announcedCount = 0;
  // Whether the length is a maximum (a 64-bit entry point's), not exact.
  bool announcedMaximum = false;
  // Where the structures begin in the file they were read from, so that a
  // place in them can be told as a place in the file.
  uint64_t fileOffset = 0;
};

using RawTablePtr = std::unique_ptr<RawSmbiosTable>;

constexpr uint32_t kRawHeaderSize = 8;
constexpr uint32_t kProviderRsmb = 0x52534D42;  // 'RSMB'

// Builds a header-form table in a block of the allocator its source's
// release expects: the 8-byte header with the given version, then a copy of
// the structure bytes.
RawTablePtr MakeHeaderFormTable(RawTableSource source, const uint8_t* table,
                                uint32_t tableLength, uint8_t major,
                                uint8_t minor, uint8_t revision);
// The same with the version, length and count of the entry point.
RawTablePtr MakeHeaderFormTable(RawTableSource source, const uint8_t* table,
                                uint32_t tableLength, const EntryPoint& entryPoint);

struct AcquireOptions {
  uint16_t* directRead = nullptr;    // may be cleared on the 9x family
  const std::string* fromPath = nullptr;  // read only this dump file
  std::string* refusal = nullptr;  // where the file's refusal goes, if not to the output
  // Makes a table of the system's record of the machine's identity, tried
  // where Windows keeps its registry copy (the caller knows the layout of
  // the structures); null to leave that source out.
  RawTablePtr (*tableFromIdentity)(const std::vector<IdentityText>& identity) = nullptr;
};

// Tries the sources in their fixed order and returns the first table, or
// null after printing any message of the failing source.
RawTablePtr AcquireRawTable(const AcquireOptions& options);

// The two sources that need no physical memory.
RawTablePtr ReadFirmwareSmbiosTable();
RawTablePtr ReadRegistryBinaryValue(uintptr_t root, const char* subKey,
                                    const char* valueName);

// A saved dump file, in any of the layouts tools write. The reason a file
// is refused goes to refusal, or to standard output when it is null.
RawTablePtr ReadDumpFile(const std::string& path, std::string* refusal = nullptr);

// Saves a table as a dump that ReadDumpFile and other tools read back: a
// 64-bit entry point padded to 0x20 bytes, then the table. The entry point
// gives the version the table was decoded as, so that every reader of the
// file decodes it alike (a table without a version of its own gets one).
// An existing file is replaced as one step. False with the platform's
// reason on failure.
bool WriteDumpFile(const std::string& path, const RawSmbiosTable& table, uint8_t major,
                   uint8_t minor, std::string* reason);

// The physical-memory readers.
RawTablePtr TarnlixDataNT2(uint32_t* size, int16_t* errorCode);
RawTablePtr ScanBiosAreaForSmbiosTable();

}  // namespace tarnlix
