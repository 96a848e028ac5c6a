// The acquired SMBIOS table and the choice of its source.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "acquire/entry_point.h"
#include "platform/platform.h"

namespace tarnlix {

// Published: made of what the system shows any user (the kernel's identity
// files, udev's memory properties): a part of the table only.
enum class RawTableSource { Firmware, Registry, Direct, Scan, File, Published };

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
  // Makes a table of what the system shows any user: its record of the
  // machine's identity and udev's memory record (either may be empty; the
  // caller knows the layout of the structures). The table it returns is of
  // source Published. Tried last, after every source of the whole table;
  // null to leave that source out.
  RawTablePtr (*tableFromPublished)(const std::vector<IdentityText>& identity,
                                    const UdevMemoryData& udev) = nullptr;
};

// Tries the sources in their fixed order, the order of the system whose
// services the platform offers, and returns the first table, or null after
// printing any message of the failing source.
RawTablePtr AcquireRawTable(const AcquireOptions& options);

// Windows' two sources that need no physical memory.
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

// Windows' physical-memory readers.
RawTablePtr TarnlixDataNT2(uint32_t* size, int16_t* errorCode);
RawTablePtr ScanBiosAreaForSmbiosTable();

// Linux's order: the kernel's copies of the table in sysfs, then physical
// memory through /dev/mem (only it with "/DIRECT"), then what any user may
// read (tableFromPublished).
RawTablePtr AcquireLinuxOrder(const AcquireOptions& options);
// The kernel's copies, with the version of their entry point.
RawTablePtr ReadSysfsSmbiosTable();
// The table found through the entry point the firmware published, or the
// one in the BIOS area, read from /dev/mem, with the entry point's version;
// of the source given. On failure *errorCode is that of TarnlixDataNT2:
// 1 the BIOS area cannot be read, 4 no usable entry point or table.
RawTablePtr ReadDevMemSmbiosTable(RawTableSource source, int16_t* errorCode);
// What any user may read, made into a table by options.tableFromPublished;
// null when there is nothing to read or no builder.
RawTablePtr ReadPublishedTable(const AcquireOptions& options);

}  // namespace tarnlix
