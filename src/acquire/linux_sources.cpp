// Linux's sources of the table, in the order Linux offers them: the copies
// the kernel keeps in sysfs (root's alone), physical memory through the
// memory device (root's alone), and last what the system shows every user.
#include <vector>

#include "acquire/entry_point.h"
#include "acquire/physical_memory.h"
#include "acquire/raw_table.h"
#include "platform/platform.h"
#include "platform/stdout.h"

namespace tarnlix {

namespace {

bool ReadPublishedEntryPoint(LinuxTablesApi& tables, uint64_t address,
                             FoundEntryPoint* entry) {
  std::vector<uint8_t> bytes;
  return tables.ReadPhysicalMemory(address, kEntryPointReadLength, &bytes) &&
         EntryPointAt(bytes.data(), bytes.size(), entry);
}

}  // namespace

RawTablePtr AcquireLinuxOrder(const AcquireOptions& options) {
  int16_t errorCode = 0;
  if (options.directRead != nullptr && *options.directRead != 0) {
    RawTablePtr direct = ReadDevMemSmbiosTable(RawTableSource::Direct, &errorCode);
    if (!direct) PrintOut("Error: TarnlixDataNT2() failed (Error %i)\n", errorCode);
    return direct;
  }
  if (RawTablePtr sysfs = ReadSysfsSmbiosTable()) return sysfs;
  // Kernels before 4.2 keep no copy in sysfs; root still reads memory.
  if (RawTablePtr memory = ReadDevMemSmbiosTable(RawTableSource::Scan, &errorCode)) {
    return memory;
  }
  return ReadPublishedTable(options);
}

RawTablePtr ReadSysfsSmbiosTable() {
  std::vector<uint8_t> structures;
  std::vector<uint8_t> entryPoint;
  if (!platform().linuxTables->ReadSysfsTables(&structures, &entryPoint)) return nullptr;
  EntryPoint ep;  // version 0.0 when the entry point cannot be read
  ParseEntryPoint(entryPoint.data(), entryPoint.size(), &ep);
  return MakeHeaderFormTable(RawTableSource::Firmware, structures.data(),
                             static_cast<uint32_t>(structures.size()), ep);
}

RawTablePtr ReadDevMemSmbiosTable(RawTableSource source, int16_t* errorCode) {
  LinuxTablesApi& tables = *platform().linuxTables;
  *errorCode = 0;
  FoundEntryPoint entry;
  bool found = false;
  // Firmware that tells the kernel where its entry point is (UEFI) need not
  // keep one in the BIOS area at all.
  for (uint64_t address : tables.PublishedEntryPoints()) {
    found = ReadPublishedEntryPoint(tables, address, &entry);
    if (found) break;
  }
  if (!found) {
    std::vector<uint8_t> bios;
    if (!tables.ReadPhysicalMemory(kBiosAreaAddress, kBiosAreaLength, &bios)) {
      *errorCode = kDirectErrorBiosArea;
      return nullptr;
    }
    if (!FindSmbiosEntryPoint(bios.data(), bios.size(), &entry)) {
      *errorCode = kDirectErrorTable;
      return nullptr;
    }
  }
  // An empty table is nothing to read. The address is passed whole: one
  // the device cannot read fails, and is never cut down to one it can.
  uint32_t length = TableViewLength(entry);
  std::vector<uint8_t> table;
  RawTablePtr made;
  if (length > 0 && tables.ReadPhysicalMemory(entry.tableAddress, length, &table)) {
    size_t used = TableBytes(entry, table.data(), table.size());
    made = MakeHeaderFormTable(source, table.data(), static_cast<uint32_t>(used),
                               entry.major, entry.minor, 0);
  }
  if (!made) *errorCode = kDirectErrorTable;
  return made;
}

RawTablePtr ReadPublishedTable(const AcquireOptions& options) {
  IdentityApi* published = platform().identity;
  if (options.tableFromPublished == nullptr || published == nullptr) return nullptr;
  std::vector<IdentityText> identity = published->ReadIdentity();
  UdevMemoryData udev = published->ReadUdevMemoryData();
  if (identity.empty() && !udev.readable) return nullptr;
  return options.tableFromPublished(identity, udev);
}

}  // namespace tarnlix
