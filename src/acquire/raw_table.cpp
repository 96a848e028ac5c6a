#include "acquire/raw_table.h"

#include <cstring>

#include "acquire/bytes.h"
#include "acquire/entry_point.h"
#include "platform/platform.h"
#include "platform/stdout.h"

namespace tarnlix {

RawSmbiosTable::~RawSmbiosTable() {
  if (data == nullptr) return;
  MemoryApi& memory = *platform().memory;
  switch (source) {
    case RawTableSource::Firmware:
    case RawTableSource::File:
    case RawTableSource::Published:
      memory.HeapFree(data);
      break;
    case RawTableSource::Registry:
      memory.FreeByteString(data);
      break;
    case RawTableSource::Direct:
    case RawTableSource::Scan:
      memory.DeleteBlock(data);
      break;
  }
}

RawTablePtr MakeHeaderFormTable(RawTableSource source, const uint8_t* table,
                                uint32_t tableLength, uint8_t major,
                                uint8_t minor, uint8_t revision) {
  if (tableLength > UINT32_MAX - kRawHeaderSize) return nullptr;
  uint32_t total = tableLength + kRawHeaderSize;
  MemoryApi& memory = *platform().memory;
  uint8_t* block = nullptr;
  switch (source) {
    case RawTableSource::Direct:
    case RawTableSource::Scan:
      block = memory.NewBlock(total);
      break;
    case RawTableSource::Registry:
      block = memory.AllocByteString(nullptr, total);
      break;
    case RawTableSource::Firmware:
    case RawTableSource::File:
    case RawTableSource::Published:
      block = static_cast<uint8_t*>(memory.HeapAlloc(total));
      break;
  }
  if (block == nullptr) return nullptr;
  block[0] = 0;
  block[1] = major;
  block[2] = minor;
  block[3] = revision;
  WriteLe32(block + 4, tableLength);
  if (tableLength > 0) std::memcpy(block + kRawHeaderSize, table, tableLength);
  return std::make_unique<RawSmbiosTable>(source, block, total, true);
}

RawTablePtr MakeHeaderFormTable(RawTableSource source, const uint8_t* table,
                                uint32_t tableLength, const EntryPoint& entryPoint) {
  RawTablePtr made = MakeHeaderFormTable(source, table, tableLength, entryPoint.major,
                                         entryPoint.minor, entryPoint.revision);
  if (made) {
    made->announcedLength = entryPoint.tableLength;
    made->announcedCount = entryPoint.structureCount;
    made->announcedMaximum = entryPoint.kind == EntryPointKind::Smbios3;
  }
  return made;
}

namespace {

// Windows' order: the firmware-table service, the registry's copy of the
// table, then physical memory through the native section services.
RawTablePtr AcquireWindowsOrder(const AcquireOptions& options) {
  uint16_t& directRead = *options.directRead;
  if (directRead != 0 && platform().system->GetVersion() >= 0x80000000u) {
    // The Windows 95/98/Me family has no physical-memory section object.
    directRead = 0;
  }
  if (directRead != 0) {
    uint32_t size = 0;
    int16_t errorCode = 0;
    RawTablePtr direct = TarnlixDataNT2(&size, &errorCode);
    if (direct) return direct;
    PrintOut("Error: TarnlixDataNT2() failed (Error %i)\n", errorCode);
    return nullptr;
  }
  if (RawTablePtr firmware = ReadFirmwareSmbiosTable()) return firmware;
  if (RawTablePtr registry = ReadRegistryBinaryValue(
          kHkeyLocalMachine, "SYSTEM\\CurrentControlSet\\Services\\mssmbios\\Data",
          "SMBiosData")) {
    return registry;
  }
  return ScanBiosAreaForSmbiosTable();
}

}  // namespace

RawTablePtr AcquireRawTable(const AcquireOptions& options) {
  if (options.fromPath != nullptr) return ReadDumpFile(*options.fromPath, options.refusal);
  if (platform().linuxTables != nullptr) return AcquireLinuxOrder(options);
  return AcquireWindowsOrder(options);
}

RawTablePtr ReadFirmwareSmbiosTable() {
  Platform& os = platform();
  ModuleHandle kernel = os.modules->LoadLibraryA("Kernel32.dll");
  if (kernel == nullptr) return nullptr;
  ProcAddress entry = os.modules->GetProcAddress(kernel, "GetSystemFirmwareTable");
  if (entry == nullptr) {
    os.modules->FreeLibrary(kernel);
    return nullptr;
  }
  RawTablePtr table;
  uint32_t size = os.firmware->GetSystemFirmwareTable(entry, kProviderRsmb, 0,
                                                      nullptr, 0);
  // A size of 0 means there is no table; a header alone holds no structures
  // but is still a table, so only 0 is refused here.
  if (size > 0) {
    auto* buffer = static_cast<uint8_t*>(os.memory->HeapAlloc(size));
    if (buffer != nullptr) {
      if (os.firmware->GetSystemFirmwareTable(entry, kProviderRsmb, 0, buffer,
                                              size) == 0) {
        os.memory->HeapFree(buffer);
      } else {
        table = std::make_unique<RawSmbiosTable>(RawTableSource::Firmware,
                                                 buffer, size, true);
      }
    }
  }
  os.modules->FreeLibrary(kernel);
  return table;
}

RawTablePtr ReadRegistryBinaryValue(uintptr_t root, const char* subKey,
                                    const char* valueName) {
  Platform& os = platform();
  KeyHandle key = nullptr;
  if (os.registry->RegOpenKeyExA(root, subKey, 0, kKeyRead, &key) !=
      kErrorSuccess) {
    return nullptr;
  }
  // Real tables run far past any fixed buffer, so the value is read whole:
  // ask its size, then read it, again if it grew in between.
  RawTablePtr table;
  uint32_t size = 0;
  uint32_t type = 0;
  long status = os.registry->RegQueryValueExA(key, valueName, &type, nullptr, &size);
  for (int attempt = 0; attempt < 4 && status == kErrorSuccess; ++attempt) {
    uint8_t* text = os.memory->AllocByteString(nullptr, size);
    if (text == nullptr) break;
    uint32_t got = size;
    status = os.registry->RegQueryValueExA(key, valueName, &type, text, &got);
    if (status == kErrorSuccess && got <= size) {
      if (got == size) {
        table = std::make_unique<RawSmbiosTable>(RawTableSource::Registry, text,
                                                 got, true);
      } else {
        // The value shrank: keep exactly the bytes the registry returned.
        uint8_t* exact = os.memory->AllocByteString(text, got);
        os.memory->FreeByteString(text);
        if (exact != nullptr) {
          table = std::make_unique<RawSmbiosTable>(RawTableSource::Registry,
                                                   exact, got, true);
        }
      }
      break;
    }
    os.memory->FreeByteString(text);
    if (status != kErrorMoreData) break;
    size = got;
    status = kErrorSuccess;
  }
  os.registry->RegCloseKey(key);
  return table;
}

}  // namespace tarnlix
