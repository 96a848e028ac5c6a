// The last source of the normal order: the entry point is looked for where
// the system says the firmware put it, then in the BIOS area of physical
// memory, over the Zw forms of the native section services, and the table it
// points to is copied out.
#include <cstring>

#include "acquire/physical_memory.h"
#include "acquire/raw_table.h"
#include "cli/exit.h"
#include "platform/stdout.h"

namespace tarnlix {

namespace {

// A Zw call counts as done only when it reports exactly success; an
// informational status is not trusted.
bool ZwSucceeded(int32_t status) { return status == 0; }

struct ZwEntries {
  ProcAddress open = nullptr;
  ProcAddress map = nullptr;
  ProcAddress unmap = nullptr;
};

// A view and the section it came from, given back on every path. A call
// that reported anything but success may still have handed out a handle or
// a view; those are given back too.
class MappedView {
 public:
  explicit MappedView(const ZwEntries& zw) : zw_(zw) {}
  ~MappedView() { Release(); }
  MappedView(const MappedView&) = delete;
  MappedView& operator=(const MappedView&) = delete;

  bool Open(const ObjectAttributes& attributes) {
    int32_t status = platform().sections->OpenSection(
        zw_.open, &section_, kSectionMapRead, &attributes);
    return ZwSucceeded(status) && section_ != nullptr;
  }

  bool Map(uint64_t address, size_t length) {
    offset_ = address;
    size_ = length;
    int32_t status = platform().sections->MapViewOfSection(
        zw_.map, section_, kCurrentProcess, &base_, 0, length, &offset_,
        &size_, kViewShare, 0, kPageReadOnly);
    return ZwSucceeded(status) && base_ != nullptr && size_ > 0;
  }

  void Release() {
    SectionApi& sections = *platform().sections;
    if (base_ != nullptr) sections.UnmapViewOfSection(zw_.unmap, kCurrentProcess, base_);
    if (section_ != nullptr) sections.CloseHandle(section_);
    base_ = nullptr;
    section_ = nullptr;
  }

  const uint8_t* base() const { return base_; }
  uint64_t offset() const { return offset_; }  // of the view's first byte
  size_t size() const { return size_; }

 private:
  const ZwEntries& zw_;
  SectionHandle section_ = nullptr;
  const uint8_t* base_ = nullptr;
  uint64_t offset_ = 0;
  size_t size_ = 0;
};

}  // namespace

RawTablePtr ScanBiosAreaForSmbiosTable() {
  Platform& os = platform();
  UnicodeString name;
  name.buffer = kPhysicalMemoryName;
  name.length = 44;         // 22 UTF-16 characters
  name.maximumLength = 46;  // with the terminating zero
  ObjectAttributes attributes;
  attributes.length = kObjectAttributesLength;
  attributes.objectName = &name;
  // The first open asks for the access check to be enforced; the second,
  // for the table, does not.
  attributes.attributes = kObjCaseInsensitive | kObjForceAccessCheck;

  ModuleHandle ntdll = os.modules->LoadLibraryA("ntdll.dll");
  if (ntdll == nullptr) return nullptr;
  ZwEntries zw;
  zw.open = os.modules->GetProcAddress(ntdll, "ZwOpenSection");
  zw.map = os.modules->GetProcAddress(ntdll, "ZwMapViewOfSection");
  zw.unmap = os.modules->GetProcAddress(ntdll, "ZwUnmapViewOfSection");
  if (zw.open == nullptr || zw.map == nullptr || zw.unmap == nullptr) {
    // A system without these has nothing this tool can read.
    ExitWithMessage("Can't find proc address in NTDLL.DLL", kExitFailure);
  }

  FoundEntryPoint entry;
  bool found = false;
  // Firmware that tells the system where its entry point is (UEFI) need
  // not keep one in the BIOS area at all.
  for (uint64_t address : os.sections->PublishedEntryPoints()) {
    MappedView view(zw);
    if (!view.Open(attributes) || !view.Map(address, kEntryPointReadLength) ||
        view.offset() > address || address - view.offset() >= view.size()) {
      continue;
    }
    size_t start = static_cast<size_t>(address - view.offset());
    found = EntryPointAt(view.base() + start, view.size() - start, &entry);
    if (found) break;
  }
  if (!found) {
    MappedView bios(zw);
    if (!bios.Open(attributes)) return nullptr;
    if (!bios.Map(kBiosAreaAddress, kBiosAreaLength)) return nullptr;
    if (!FindSmbiosEntryPoint(bios.base(), bios.size(), &entry)) return nullptr;
  }
  // Only the first entry point counts. An empty table is nothing to read,
  // and a view size of 0 would map everything from its address onwards.
  uint32_t viewLength = TableViewLength(entry);
  if (viewLength == 0) return nullptr;

  attributes.attributes = kObjCaseInsensitive;
  MappedView table(zw);
  if (!table.Open(attributes)) {
    table.Release();
    WriteOut("ZWopenS failed\n");
    return nullptr;
  }
  // The address is passed whole: one the platform cannot map yields
  // nothing, and is never cut down to one it can.
  if (!table.Map(entry.tableAddress, viewLength)) return nullptr;

  // The view may begin below the table (its offset rounded down to a page)
  // and end before the table does; the copy is the part of the table that
  // the view holds, from the table's first byte.
  if (table.offset() > entry.tableAddress ||
      entry.tableAddress - table.offset() >= table.size()) {
    return nullptr;
  }
  size_t start = static_cast<size_t>(entry.tableAddress - table.offset());
  size_t length = TableBytes(entry, table.base() + start, table.size() - start);
  uint8_t* copy = os.memory->NewBlock(length);
  if (copy == nullptr) return nullptr;
  std::memcpy(copy, table.base() + start, length);
  return std::make_unique<RawSmbiosTable>(RawTableSource::Scan, copy,
                                          static_cast<uint32_t>(length), false);
}

}  // namespace tarnlix
