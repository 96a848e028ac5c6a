// The table's sources on Linux: the kernel's copies of the table and its
// entry point in sysfs, and physical memory through the memory device
// (/dev/mem). Both are root's alone: without root, or on a kernel without
// them, the reads fail. On UEFI machines the kernel also publishes where the
// firmware's SMBIOS entry points are (/sys/firmware/efi/systab).
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "platform/ascii.h"
#include "platform/linux/linux_platform.h"

namespace tarnlix::linux_backend {

namespace {

// Real tables fill a few pages; the kernel's copy is never near this.
constexpr size_t kMaxTableSize = 16u * 1024u * 1024u;
// Entry points are 31 bytes at most; the file holds nothing else.
constexpr size_t kMaxEntryPointSize = 4096;
// The kernel's system-table file is a few lines.
constexpr size_t kMaxSystabSize = 4096;

// "0x" and 1 to 16 hexadecimal digits, and nothing else but an optional
// carriage return.
std::optional<uint64_t> ParseAddress(std::string digits) {
  if (!digits.empty() && digits.back() == '\r') digits.pop_back();
  if (digits.size() < 3 || digits[0] != '0' ||
      (digits[1] != 'x' && digits[1] != 'X')) {
    return std::nullopt;
  }
  digits.erase(0, 2);
  if (digits.size() > 16) return std::nullopt;
  uint64_t value = 0;
  for (char c : digits) {
    int digit = HexDigitValue(c);
    if (digit < 0) return std::nullopt;
    value = value << 4 | static_cast<uint64_t>(digit);
  }
  return value;
}

// The bytes through a read-only mapping of the pages that hold them.
bool CopyMapped(int fd, uint64_t address, size_t length, uint8_t* out) {
  uint64_t page = static_cast<uint64_t>(::sysconf(_SC_PAGESIZE));
  uint64_t start = address - address % page;
  size_t lead = static_cast<size_t>(address - start);
  if (length > std::numeric_limits<size_t>::max() - lead) return false;
  void* mapped = ::mmap(nullptr, lead + length, PROT_READ, MAP_SHARED, fd,
                        static_cast<off_t>(start));
  if (mapped == MAP_FAILED) return false;
  std::memcpy(out, static_cast<const uint8_t*>(mapped) + lead, length);
  ::munmap(mapped, lead + length);
  return true;
}

// The bytes through read(), where the kernel does not let the memory be
// mapped.
bool CopyRead(int fd, uint64_t address, size_t length, uint8_t* out) {
  size_t got = 0;
  while (got < length) {
    ssize_t n = ::pread(fd, out + got, length - got, static_cast<off_t>(address + got));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    got += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

bool LinuxTables::ReadSysfsTables(std::vector<uint8_t>* table,
                                  std::vector<uint8_t>* entryPoint) {
  table->clear();
  entryPoint->clear();
  std::string bytes;
  if (ReadPlainFile(tablesDir_ + "/DMI", kMaxTableSize, &bytes) != PlainFileRead::Whole) {
    return false;
  }
  table->assign(bytes.begin(), bytes.end());
  if (ReadPlainFile(tablesDir_ + "/smbios_entry_point", kMaxEntryPointSize, &bytes) ==
      PlainFileRead::Whole) {
    entryPoint->assign(bytes.begin(), bytes.end());
  }
  return true;
}

bool LinuxTables::ReadPhysicalMemory(uint64_t address, size_t length,
                                     std::vector<uint8_t>* bytes) {
  bytes->clear();
  if (length == 0 || address > static_cast<uint64_t>(std::numeric_limits<off_t>::max()) ||
      length > static_cast<uint64_t>(std::numeric_limits<off_t>::max()) - address) {
    return false;
  }
  // Non-blocking, so that a path that turns out to be a FIFO cannot hang the
  // open; only the memory device or a memory image is read.
  int fd = ::open(devicePath_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info {};
  bool usable = ::fstat(fd, &info) == 0 && (S_ISCHR(info.st_mode) || S_ISREG(info.st_mode));
  // Reading a mapped page that lies wholly past the end of a file raises
  // SIGBUS, so a read of a memory image must stay inside it.
  if (usable && S_ISREG(info.st_mode)) {
    uint64_t size = static_cast<uint64_t>(info.st_size);
    usable = address <= size && length <= size - address;
  }
  bool read = false;
  if (usable) {
    bytes->resize(length);
    read = CopyMapped(fd, address, length, bytes->data()) ||
           CopyRead(fd, address, length, bytes->data());
  }
  ::close(fd);
  if (!read) bytes->clear();
  return read;
}

// The file holds one "NAME=0xADDRESS" line per firmware table the kernel
// found, for example "SMBIOS3=0x7b6e2000". A line that does not hold a whole
// hexadecimal address is ignored, so a damaged file never yields half an
// address.
std::vector<uint64_t> LinuxTables::PublishedEntryPoints() {
  std::string text;
  if (ReadPlainFile(systabPath_, kMaxSystabSize, &text) != PlainFileRead::Whole) return {};
  std::optional<uint64_t> smbios3;
  std::optional<uint64_t> smbios;
  size_t position = 0;
  while (position < text.size()) {
    size_t end = text.find('\n', position);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(position, end - position);
    position = end + 1;
    if (!smbios3 && line.rfind("SMBIOS3=", 0) == 0) {
      smbios3 = ParseAddress(line.substr(8));
    } else if (!smbios && line.rfind("SMBIOS=", 0) == 0) {
      smbios = ParseAddress(line.substr(7));
    }
  }
  std::vector<uint64_t> addresses;
  if (smbios3) addresses.push_back(*smbios3);
  if (smbios) addresses.push_back(*smbios);
  return addresses;
}

}  // namespace tarnlix::linux_backend
