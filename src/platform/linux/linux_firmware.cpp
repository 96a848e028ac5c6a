#include <cstdio>

#include "platform/linux/linux_platform.h"

namespace tarnlix::linux_backend {

namespace {

constexpr size_t kMaxTableSize = 16u * 1024u * 1024u;

bool ReadBinaryFile(const std::string& path, size_t limit, std::vector<uint8_t>* bytes) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  uint8_t chunk[65536];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
    bytes->insert(bytes->end(), chunk, chunk + got);
    if (bytes->size() > limit) break;
  }
  bool failed = std::ferror(file) != 0 || bytes->size() > limit;
  std::fclose(file);
  return !failed;
}

}  // namespace

// Linux has no firmware-table service: the kernel keeps the table and its
// entry point as files.
uint32_t LinuxFirmwareTable::GetSystemFirmwareTable(ProcAddress, uint32_t, uint32_t, void*,
                                                    uint32_t) {
  return 0;
}

bool LinuxFirmwareTable::ReadTableAndEntryPoint(std::vector<uint8_t>* table,
                                                std::vector<uint8_t>* entryPoint) {
  // Both files are readable by root only.
  if (!ReadBinaryFile(tablesDir_ + "/DMI", kMaxTableSize, table)) {
    table->clear();
    return false;
  }
  if (!ReadBinaryFile(tablesDir_ + "/smbios_entry_point", 4096, entryPoint)) entryPoint->clear();
  return true;
}

}  // namespace tarnlix::linux_backend
