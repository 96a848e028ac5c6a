// Reads of physical memory through the native section services, and the
// search for the SMBIOS entry point in the BIOS area that both physical-memory
// readers (the "/DIRECT" read and the last-resort scan) share.
#pragma once

#include <cstddef>
#include <cstdint>

#include "acquire/entry_point.h"
#include "platform/platform.h"

namespace tarnlix {

// The BIOS area where firmware places the entry point: 0xF0000, and 65535
// bytes (one short of 64 KiB, as both readers have always asked).
constexpr uint32_t kBiosAreaAddress = 0xF0000;
constexpr uint32_t kBiosAreaLength = 0xFFFF;

// The physical-memory section object (UTF-16, single backslashes).
extern const char16_t kPhysicalMemoryName[];

// The size of the object-attribute record on the 32-bit system the native
// services were designed for.
constexpr uint32_t kObjectAttributesLength = 24;

// Error codes of TarnlixDataNT2.
constexpr int16_t kDirectErrorBiosArea = 1;  // the BIOS area could not be read
constexpr int16_t kDirectErrorTable = 4;     // no usable entry point or table

// An entry point found in a block of memory, with the fields used.
struct FoundEntryPoint {
  size_t offset = 0;  // of the anchor within the block
  EntryPointKind kind = EntryPointKind::None;  // Smbios2 or Smbios3
  uint64_t tableAddress = 0;
  uint32_t tableLength = 0;  // for Smbios3 only a maximum
  uint8_t major = 0;
  uint8_t minor = 0;
};

// Finds the entry point in bytes[0, size), whose first byte lies on a 16-byte
// boundary of physical memory. The first "_SM_" anchor at any offset wins;
// only a block without one is searched for "_SM3_" on 16-byte boundaries.
// Anchors are compared without regard to letter case, and an anchor whose
// fields would run past the end of the block is not used.
bool FindSmbiosEntryPoint(const uint8_t* bytes, size_t size,
                          FoundEntryPoint* found);

// Decodes the entry point ("_SM3_" or "_SM_", letter case ignored) that
// begins exactly at bytes; false when there is none or it is cut short.
bool EntryPointAt(const uint8_t* bytes, size_t size, FoundEntryPoint* found);

// Bytes to read at the address of a published entry point: enough for the
// fields of either form.
constexpr uint32_t kEntryPointReadLength = 0x1C;

// The view length to ask for when mapping the entry point's table; 0 when
// the table is empty.
uint32_t TableViewLength(const FoundEntryPoint& entry);

// How many of the `available` bytes at the table's first byte belong to
// the table: the table length for "_SM_"; for "_SM3_", whose length is only
// a maximum, the bytes through the end-of-table structure (type 127), or all
// of them when there is none.
size_t TableBytes(const FoundEntryPoint& entry, const uint8_t* table,
                  size_t available);

// Copies the view mapped at a physical address into a new free-store block
// (released with MemoryApi::DeleteBlock). On success *size is the view's
// size as the platform reported it, and *viewAddress (when given) the
// physical address of the block's first byte, which the platform may have
// rounded down below the address asked for. Returns 1 on success, 0 on
// failure; a length of 0 or less fails without mapping anything.
uint16_t GetMemoryBlock(uint64_t address, uint8_t** block, int32_t length,
                        uint32_t* size, uint64_t* viewAddress = nullptr);

// Looks up the Nt entry points in the already loaded "ntdll.dll", every
// time it is called; false at the first one missing.
bool LocateNtDllEntryPoints();

// Opens the physical-memory section for reading; null on failure.
SectionHandle OpenPhysicalMemorySection();

// Maps a read-only view of the section. On success *address holds the
// physical address of the view's first byte and *length the view's size.
bool MapPhysicalMemoryView(SectionHandle section, uint64_t* address,
                           uint32_t* length, const uint8_t** base);

bool UnmapPhysicalMemoryView(const uint8_t* base);

}  // namespace tarnlix
