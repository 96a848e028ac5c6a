// The "/DIRECT" read: the table straight from physical memory, found through
// the entry point the system publishes or the one in the BIOS area, over the
// Nt forms of the native section services.
#include "acquire/physical_memory.h"

#include <algorithm>
#include <cstring>

#include "acquire/raw_table.h"
#include "acquire/structure_step.h"
#include "platform/ascii.h"
#include "platform/stdout.h"

namespace tarnlix {

const char16_t kPhysicalMemoryName[] = u"\\device\\physicalmemory";

namespace {

// One form of entry point the memory readers recognise.
struct AnchorForm {
  const char* anchor;
  EntryPointKind kind;
  size_t step;  // the BIOS area is searched for it at multiples of this
};

// In the order the BIOS area is searched: the 32-bit entry point at any
// byte, and only when there is none the 64-bit one, which firmware places on
// a paragraph (16-byte) boundary. Many UEFI machines publish only the 64-bit
// form; where both exist the 32-bit one keeps being used as it always was.
const AnchorForm kAnchorForms[] = {
    {"_SM_", EntryPointKind::Smbios2, 1},
    {"_SM3_", EntryPointKind::Smbios3, 16},
};

// The largest view asked for a table whose entry point gives only a
// maximum size. Real tables fill a few pages; a bogus maximum (up to 4 GiB)
// must not become a mapping and a copy of that size.
constexpr uint32_t kLargestTableView = 16u * 1024u * 1024u;

// Letter case is not significant: the 32-bit anchor has always been accepted
// in either case, and the 64-bit one follows the same rule so that both
// forms are found alike.
bool AnchorAt(const uint8_t* at, const char* anchor) {
  size_t size = std::strlen(anchor);
  return EqualsIgnoringCase({reinterpret_cast<const char*>(at), size}, anchor);
}

bool MatchForm(const uint8_t* at, size_t available, const AnchorForm& form,
               FoundEntryPoint* found) {
  // An anchor too close to the end would have its fields read from beyond
  // the block.
  if (EntryPointSize(form.kind) > available) return false;
  if (!AnchorAt(at, form.anchor)) return false;
  EntryPoint ep = DecodeEntryPoint(form.kind, at);
  *found = FoundEntryPoint{};
  found->kind = ep.kind;
  found->tableAddress = ep.tableAddress;
  found->tableLength = ep.tableLength;
  found->major = ep.major;
  found->minor = ep.minor;
  return true;
}

// The bytes up to and including the end-of-table structure, stepping over
// structures as the walk does; `size` when the end-of-table structure is not
// reached.
size_t EndOfTableLength(const uint8_t* table, size_t size) {
  size_t position = 0;
  while (size_t next = StructureEnd(table, size, position)) {
    if (table[position] == 127) return next;
    position = next;
  }
  return size;
}

// The Nt entry points, looked up again before every block read.
ProcAddress gRtlInitUnicodeString = nullptr;
ProcAddress gNtUnmapViewOfSection = nullptr;
ProcAddress gNtOpenSection = nullptr;
ProcAddress gNtMapViewOfSection = nullptr;

bool NtSucceeded(int32_t status) { return status >= 0; }

}  // namespace

bool FindSmbiosEntryPoint(const uint8_t* bytes, size_t size,
                          FoundEntryPoint* found) {
  for (const AnchorForm& form : kAnchorForms) {
    for (size_t offset = 0; offset < size; offset += form.step) {
      if (MatchForm(bytes + offset, size - offset, form, found)) {
        found->offset = offset;
        return true;
      }
    }
  }
  return false;
}

bool EntryPointAt(const uint8_t* bytes, size_t size, FoundEntryPoint* found) {
  for (const AnchorForm& form : kAnchorForms) {
    if (MatchForm(bytes, size, form, found)) return true;
  }
  return false;
}

uint32_t TableViewLength(const FoundEntryPoint& entry) {
  return std::min(entry.tableLength, kLargestTableView);
}

size_t TableBytes(const FoundEntryPoint& entry, const uint8_t* table,
                  size_t available) {
  size_t length = std::min<size_t>(entry.tableLength, available);
  if (entry.kind != EntryPointKind::Smbios3) return length;
  // Past the end-of-table structure lies whatever memory follows the table.
  return EndOfTableLength(table, length);
}

bool LocateNtDllEntryPoints() {
  struct Lookup {
    const char* name;
    ProcAddress* slot;
  };
  const Lookup kLookups[] = {
      {"RtlInitUnicodeString", &gRtlInitUnicodeString},
      {"NtUnmapViewOfSection", &gNtUnmapViewOfSection},
      {"NtOpenSection", &gNtOpenSection},
      {"NtMapViewOfSection", &gNtMapViewOfSection},
  };
  ModuleApi& modules = *platform().modules;
  for (const Lookup& lookup : kLookups) {
    // ntdll is part of every process, so it is found, never loaded.
    ModuleHandle ntdll = modules.GetModuleHandleA("ntdll.dll");
    *lookup.slot =
        ntdll != nullptr ? modules.GetProcAddress(ntdll, lookup.name) : nullptr;
    if (*lookup.slot == nullptr) return false;
  }
  return true;
}

SectionHandle OpenPhysicalMemorySection() {
  SectionApi& sections = *platform().sections;
  UnicodeString name;
  sections.RtlInitUnicodeString(gRtlInitUnicodeString, &name,
                                kPhysicalMemoryName);
  ObjectAttributes attributes;
  attributes.length = kObjectAttributesLength;
  attributes.objectName = &name;
  attributes.attributes = kObjCaseInsensitive;
  SectionHandle section = nullptr;
  int32_t status =
      sections.OpenSection(gNtOpenSection, &section, kSectionMapRead, &attributes);
  if (!NtSucceeded(status)) return nullptr;
  return section;
}

bool MapPhysicalMemoryView(SectionHandle section, uint64_t* address,
                           uint32_t* length, const uint8_t** base) {
  SectionApi& sections = *platform().sections;
  *base = nullptr;
  uint64_t offset = *address;
  size_t viewSize = *length;
  int32_t status = sections.MapViewOfSection(
      gNtMapViewOfSection, section, kCurrentProcess, base, 0, *length, &offset,
      &viewSize, kViewShare, 0, kPageReadOnly);
  if (!NtSucceeded(status) || *base == nullptr) return false;
  if (viewSize == 0 || viewSize > UINT32_MAX) {
    UnmapPhysicalMemoryView(*base);
    *base = nullptr;
    return false;
  }
  // The platform may have rounded the offset down to a page boundary: the
  // view then begins below the address asked for.
  *address = offset;
  *length = static_cast<uint32_t>(viewSize);
  return true;
}

bool UnmapPhysicalMemoryView(const uint8_t* base) {
  return NtSucceeded(platform().sections->UnmapViewOfSection(
      gNtUnmapViewOfSection, kCurrentProcess, base));
}

uint16_t GetMemoryBlock(uint64_t address, uint8_t** block, int32_t length,
                        uint32_t* size, uint64_t* viewAddress) {
  if (length <= 0) return 0;
  if (!LocateNtDllEntryPoints()) {
    WriteOut("GetMemoryBlock LocateNtDllEntryPoints() error...\n");
    return 0;
  }
  SectionHandle section = OpenPhysicalMemorySection();
  if (section == nullptr) return 0;

  SectionApi& sections = *platform().sections;
  uint64_t mappedAddress = address;
  uint32_t mappedLength = static_cast<uint32_t>(length);
  const uint8_t* base = nullptr;
  if (!MapPhysicalMemoryView(section, &mappedAddress, &mappedLength, &base)) {
    sections.CloseHandle(section);
    return 0;
  }
  uint8_t* copy = platform().memory->NewBlock(mappedLength);
  if (copy != nullptr) std::memcpy(copy, base, mappedLength);
  UnmapPhysicalMemoryView(base);
  // The handle goes even if the unmap failed: nothing could use it again.
  sections.CloseHandle(section);
  if (copy == nullptr) return 0;

  *block = copy;
  *size = mappedLength;
  if (viewAddress != nullptr) *viewAddress = mappedAddress;
  return 1;
}

namespace {

// The entry point at an address the system published; false when the bytes
// there cannot be read or are not an entry point.
bool ReadPublishedEntryPoint(uint64_t address, FoundEntryPoint* entry) {
  uint8_t* block = nullptr;
  uint32_t size = 0;
  uint64_t blockAddress = 0;
  if (!GetMemoryBlock(address, &block, kEntryPointReadLength, &size,
                      &blockAddress)) {
    return false;
  }
  bool found = false;
  if (blockAddress <= address && address - blockAddress < size) {
    size_t start = static_cast<size_t>(address - blockAddress);
    found = EntryPointAt(block + start, size - start, entry);
  }
  platform().memory->DeleteBlock(block);
  return found;
}

}  // namespace

RawTablePtr TarnlixDataNT2(uint32_t* size, int16_t* errorCode) {
  *errorCode = 0;
  *size = 0;
  MemoryApi& memory = *platform().memory;

  FoundEntryPoint entry;
  bool found = false;
  // Firmware that tells the system where its entry point is (UEFI) need
  // not keep one in the BIOS area at all.
  for (uint64_t address : platform().sections->PublishedEntryPoints()) {
    found = ReadPublishedEntryPoint(address, &entry);
    if (found) break;
  }
  if (!found) {
    uint8_t* bios = nullptr;
    uint32_t biosSize = 0;
    if (!GetMemoryBlock(kBiosAreaAddress, &bios, kBiosAreaLength, &biosSize)) {
      *errorCode = kDirectErrorBiosArea;
      return nullptr;
    }
    found = FindSmbiosEntryPoint(bios, biosSize, &entry);
    memory.DeleteBlock(bios);
    if (!found) {
      *errorCode = kDirectErrorTable;
      return nullptr;
    }
  }

  // An empty table fails here without mapping anything. The address is
  // passed whole: one the platform cannot map fails the read, and is never
  // cut down to one it can.
  uint8_t* copy = nullptr;
  uint32_t copySize = 0;
  uint64_t copyAddress = 0;
  if (!GetMemoryBlock(entry.tableAddress, &copy,
                      static_cast<int32_t>(TableViewLength(entry)), &copySize,
                      &copyAddress)) {
    *errorCode = kDirectErrorTable;
    return nullptr;
  }
  // The copy may begin below the table (the view's offset rounded down to a
  // page) and run on past it (the view grown to whole pages). Only the
  // table's own bytes are handed over, behind a header carrying the version
  // from the entry point, so the walk starts at the first structure.
  RawTablePtr table;
  if (copyAddress <= entry.tableAddress &&
      entry.tableAddress - copyAddress < copySize) {
    size_t start = static_cast<size_t>(entry.tableAddress - copyAddress);
    size_t length = TableBytes(entry, copy + start, copySize - start);
    table = MakeHeaderFormTable(RawTableSource::Direct, copy + start,
                                static_cast<uint32_t>(length), entry.major,
                                entry.minor, 0);
  }
  memory.DeleteBlock(copy);
  if (!table) {
    *errorCode = kDirectErrorTable;
    return nullptr;
  }
  *size = table->length;
  return table;
}

}  // namespace tarnlix
