// The "/DIRECT" read: the table straight from physical memory, found through
// the entry point in the BIOS area, over the Nt forms of the native section
// services.
#include "acquire/physical_memory.h"

#include <algorithm>
#include <cstring>

#include "acquire/raw_table.h"
#include "platform/stdout.h"
#include "smbios/bytes.h"

namespace tarnlix {

const char16_t kPhysicalMemoryName[] = u"\\device\\physicalmemory";

namespace {

// One form of entry point the BIOS-area search recognises.
struct AnchorForm {
  const char* anchor;
  size_t anchorLength;
  size_t fieldsEnd;  // bytes from the anchor through the last field read
  void (*decode)(const uint8_t* at, FoundEntryPoint* found);
};

void DecodeSmbios2(const uint8_t* at, FoundEntryPoint* found) {
  found->major = at[0x06];
  found->minor = at[0x07];
  found->tableLength = ReadLe16(at + 0x16);
  found->tableAddress = ReadLe32(at + 0x18);
}

// Tried in this order at each offset.
const AnchorForm kAnchorForms[] = {
    {"_SM_", 4, 0x1C, DecodeSmbios2},
};

char LowerAscii(uint8_t c) {
  return static_cast<char>((c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c);
}

// Letter case is not significant: an anchor written in either case counts.
bool AnchorAt(const uint8_t* at, const AnchorForm& form) {
  for (size_t i = 0; i < form.anchorLength; ++i) {
    if (LowerAscii(at[i]) != LowerAscii(static_cast<uint8_t>(form.anchor[i]))) {
      return false;
    }
  }
  return true;
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
  for (size_t offset = 0; offset < size; ++offset) {
    for (const AnchorForm& form : kAnchorForms) {
      // An anchor too close to the end would have its fields read from
      // beyond the block.
      if (form.fieldsEnd > size - offset) continue;
      if (!AnchorAt(bytes + offset, form)) continue;
      *found = FoundEntryPoint{};
      found->offset = offset;
      form.decode(bytes + offset, found);
      return true;
    }
  }
  return false;
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

bool MapPhysicalMemoryView(SectionHandle section, uint32_t* address,
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
  *address = static_cast<uint32_t>(offset);
  *length = static_cast<uint32_t>(viewSize);
  return true;
}

bool UnmapPhysicalMemoryView(const uint8_t* base) {
  return NtSucceeded(platform().sections->UnmapViewOfSection(
      gNtUnmapViewOfSection, kCurrentProcess, base));
}

uint16_t GetMemoryBlock(uint32_t address, uint8_t** block, int32_t length,
                        uint32_t* size, uint32_t* viewAddress) {
  if (length <= 0) return 0;
  if (!LocateNtDllEntryPoints()) {
    WriteOut("GetMemoryBlock LocateNtDllEntryPoints() error...\n");
    return 0;
  }
  SectionHandle section = OpenPhysicalMemorySection();
  if (section == nullptr) return 0;

  SectionApi& sections = *platform().sections;
  uint32_t mappedAddress = address;
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

RawTablePtr TarnlixDataNT2(uint32_t* size, int16_t* errorCode) {
  *errorCode = 0;
  *size = 0;
  MemoryApi& memory = *platform().memory;

  uint8_t* bios = nullptr;
  uint32_t biosSize = 0;
  if (!GetMemoryBlock(kBiosAreaAddress, &bios, kBiosAreaLength, &biosSize)) {
    *errorCode = kDirectErrorBiosArea;
    return nullptr;
  }
  FoundEntryPoint entry;
  bool found = FindSmbiosEntryPoint(bios, biosSize, &entry);
  memory.DeleteBlock(bios);
  if (!found) {
    *errorCode = kDirectErrorTable;
    return nullptr;
  }

  // A length of 0 fails here without mapping anything.
  uint8_t* copy = nullptr;
  uint32_t copySize = 0;
  uint32_t copyAddress = 0;
  if (!GetMemoryBlock(entry.tableAddress, &copy,
                      static_cast<int32_t>(entry.tableLength), &copySize,
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
    uint32_t start = entry.tableAddress - copyAddress;
    uint32_t length = std::min(entry.tableLength, copySize - start);
    table = MakeHeaderFormTable(RawTableSource::Direct, copy + start, length,
                                entry.major, entry.minor, 0);
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
