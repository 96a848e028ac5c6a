// Physical memory through the memory device (/dev/mem): opening the section
// opens the device read-only, a view is a read-only mapping of it, and
// closing the handle closes the device. Without root, or on a kernel without
// the device, the open fails. On UEFI machines the kernel also publishes
// where the firmware's SMBIOS entry points are (/sys/firmware/efi/systab).
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "platform/ascii.h"
#include "platform/linux/linux_platform.h"

namespace tarnlix::linux_backend {

namespace {

constexpr int32_t kStatusSuccess = 0;
constexpr int32_t kStatusUnsuccessful = static_cast<int32_t>(0xC0000001u);
constexpr int32_t kStatusInvalidHandle = static_cast<int32_t>(0xC0000008u);
constexpr int32_t kStatusInvalidParameter = static_cast<int32_t>(0xC000000Du);
constexpr int32_t kStatusNotMappedView = static_cast<int32_t>(0xC0000019u);
constexpr int32_t kStatusInvalidViewSize = static_cast<int32_t>(0xC000001Fu);
constexpr int32_t kStatusAccessDenied = static_cast<int32_t>(0xC0000022u);
constexpr int32_t kStatusObjectNameNotFound = static_cast<int32_t>(0xC0000034u);

const char16_t kSectionName[] = u"\\device\\physicalmemory";

// Only the physical-memory section exists here; its name is matched as the
// object manager would, without case only when the caller asks for that.
bool NamesPhysicalMemory(const ObjectAttributes* attributes) {
  const UnicodeString* name = attributes->objectName;
  if (name == nullptr || name->buffer == nullptr) return false;
  size_t expected = sizeof kSectionName / sizeof kSectionName[0] - 1;
  if (name->length != expected * 2) return false;
  bool ignoreCase = (attributes->attributes & kObjCaseInsensitive) != 0;
  for (size_t i = 0; i < expected; ++i) {
    char16_t got = name->buffer[i];
    char16_t want = kSectionName[i];
    if (ignoreCase ? LowerAscii(got) != want : got != want) return false;
  }
  return true;
}

int32_t StatusFromErrno(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
      return kStatusAccessDenied;
    case ENOENT:
    case ENODEV:
    case ENXIO:
      return kStatusObjectNameNotFound;
    default:
      return kStatusUnsuccessful;
  }
}

// A handle is the descriptor plus one, so that descriptor 0 is not null.
SectionHandle HandleOf(int fd) {
  return reinterpret_cast<SectionHandle>(static_cast<uintptr_t>(fd) + 1);
}

int DescriptorOf(SectionHandle section) {
  return static_cast<int>(reinterpret_cast<uintptr_t>(section) - 1);
}

// The kernel's small text files: read whole, without blocking on anything
// that is not a plain file. False when it cannot be read or is too large to
// be what the kernel writes.
bool ReadSmallFile(const std::string& path, std::string* text) {
  constexpr size_t kLimit = 4096;
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return false;
  }
  char buffer[kLimit + 1];
  size_t got = 0;
  bool failed = false;
  while (got < sizeof buffer) {
    ssize_t n = ::read(fd, buffer + got, sizeof buffer - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) failed = true;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  ::close(fd);
  if (failed || got > kLimit) return false;
  text->assign(buffer, got);
  return true;
}

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

}  // namespace

LinuxSections::~LinuxSections() {
  for (auto& [base, length] : views_) {
    ::munmap(const_cast<uint8_t*>(base), length);
  }
}

void LinuxSections::RtlInitUnicodeString(ProcAddress, UnicodeString* target,
                                         const char16_t* source) {
  size_t length = 0;
  while (source[length] != 0) ++length;
  target->buffer = source;
  target->length = static_cast<uint16_t>(length * 2);
  target->maximumLength = static_cast<uint16_t>(length * 2 + 2);
}

int32_t LinuxSections::OpenSection(ProcAddress, SectionHandle* section,
                                   uint32_t, const ObjectAttributes* attributes) {
  if (!NamesPhysicalMemory(attributes)) return kStatusObjectNameNotFound;
  // Non-blocking, so that a path that turns out to be a FIFO cannot hang the
  // open; only the memory device or a memory image is used.
  int fd = ::open(devicePath_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return StatusFromErrno(errno);
  struct stat info {};
  if (::fstat(fd, &info) != 0 ||
      !(S_ISCHR(info.st_mode) || S_ISREG(info.st_mode))) {
    ::close(fd);
    return kStatusObjectNameNotFound;
  }
  *section = HandleOf(fd);
  return kStatusSuccess;
}

int32_t LinuxSections::MapViewOfSection(ProcAddress, SectionHandle section,
                                        uintptr_t process,
                                        const uint8_t** baseAddress, uintptr_t,
                                        size_t, uint64_t* sectionOffset,
                                        size_t* viewSize, uint32_t, uint32_t,
                                        uint32_t protection) {
  if (section == nullptr || process != kCurrentProcess) {
    return kStatusInvalidHandle;
  }
  if (protection != kPageReadOnly) return kStatusInvalidParameter;
  // A size of 0 would mean "to the end of the section", which a device does
  // not tell.
  if (*viewSize == 0) return kStatusInvalidViewSize;
  int fd = DescriptorOf(section);
  uint64_t offset = *sectionOffset;
  uint64_t page = static_cast<uint64_t>(::sysconf(_SC_PAGESIZE));
  uint64_t start = offset - offset % page;
  uint64_t lead = offset - start;
  if (*viewSize > std::numeric_limits<size_t>::max() - lead ||
      start > static_cast<uint64_t>(std::numeric_limits<off_t>::max())) {
    return kStatusInvalidViewSize;
  }
  size_t length = static_cast<size_t>(lead) + *viewSize;

  // Reading a mapped page that lies wholly past the end of a file raises
  // SIGBUS, so a view of a memory image must stay inside it.
  struct stat info {};
  if (::fstat(fd, &info) != 0) return kStatusInvalidHandle;
  if (S_ISREG(info.st_mode) &&
      (offset > static_cast<uint64_t>(info.st_size) ||
       *viewSize > static_cast<uint64_t>(info.st_size) - offset)) {
    return kStatusInvalidViewSize;
  }

  void* mapped = ::mmap(nullptr, length, PROT_READ, MAP_SHARED, fd,
                        static_cast<off_t>(start));
  if (mapped == MAP_FAILED) return StatusFromErrno(errno);
  const auto* base = static_cast<const uint8_t*>(mapped);
  views_[base] = length;
  // The view begins at the page boundary below the offset asked for; the
  // caller is told where, and the view's size grows to match.
  *baseAddress = base;
  *sectionOffset = start;
  *viewSize = length;
  return kStatusSuccess;
}

int32_t LinuxSections::UnmapViewOfSection(ProcAddress, uintptr_t process,
                                          const uint8_t* baseAddress) {
  if (process != kCurrentProcess) return kStatusInvalidHandle;
  auto view = views_.find(baseAddress);
  if (view == views_.end()) return kStatusNotMappedView;
  ::munmap(const_cast<uint8_t*>(view->first), view->second);
  views_.erase(view);
  return kStatusSuccess;
}

void LinuxSections::CloseHandle(SectionHandle section) {
  if (section != nullptr) ::close(DescriptorOf(section));
}

// The file holds one "NAME=0xADDRESS" line per firmware table the kernel
// found, for example "SMBIOS3=0x7b6e2000". A line that does not hold a whole
// hexadecimal address is ignored, so a damaged file never yields half an
// address.
std::vector<uint64_t> LinuxSections::PublishedEntryPoints() {
  std::string text;
  if (!ReadSmallFile(systabPath_, &text)) return {};
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
