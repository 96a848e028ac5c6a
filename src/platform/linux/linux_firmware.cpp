#include "acquire/entry_point.h"
#include "acquire/raw_table.h"
#include "platform/linux/linux_platform.h"
#include "smbios/bytes.h"

#include <cstdio>
#include <cstring>

namespace tarnlix::linux_backend {

namespace {

constexpr size_t kMaxTableSize = 16u * 1024u * 1024u;

bool ReadBinaryFile(const std::string& path, size_t limit,
                    std::vector<uint8_t>* bytes) {
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

bool LinuxFirmwareTable::Fill() {
  if (filled_) return !table_.empty();
  filled_ = true;
  std::vector<uint8_t> structures;
  // Both files are readable by root only.
  if (!ReadBinaryFile(tablesDir_ + "/DMI", kMaxTableSize, &structures)) {
    return false;
  }
  std::vector<uint8_t> entry;
  EntryPoint ep;
  if (!ReadBinaryFile(tablesDir_ + "/smbios_entry_point", 4096, &entry) ||
      !ParseEntryPoint(entry.data(), entry.size(), &ep)) {
    ep = EntryPoint{};  // version 0.0 when the entry point can't be read
  }
  table_.resize(kRawHeaderSize + structures.size());
  table_[0] = 0;
  table_[1] = ep.major;
  table_[2] = ep.minor;
  table_[3] = ep.revision;
  WriteLe32(table_.data() + 4, static_cast<uint32_t>(structures.size()));
  if (!structures.empty()) {
    std::memcpy(table_.data() + kRawHeaderSize, structures.data(),
                structures.size());
  }
  return true;
}

uint32_t LinuxFirmwareTable::GetSystemFirmwareTable(ProcAddress, uint32_t provider,
                                                    uint32_t tableId, void* buffer,
                                                    uint32_t bufferSize) {
  if (provider != kProviderRsmb || tableId != 0 || !Fill()) return 0;
  uint32_t size = static_cast<uint32_t>(table_.size());
  // Like the Windows service: a missing or short buffer gets the size needed.
  if (buffer != nullptr && bufferSize >= size) {
    std::memcpy(buffer, table_.data(), size);
  }
  return size;
}

}  // namespace tarnlix::linux_backend
