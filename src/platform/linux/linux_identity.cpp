#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/linux/linux_platform.h"

namespace tarnlix::linux_backend {

namespace {

// The kernel's identity files and the fields they hold.
struct IdentityFile {
  const char* name;
  const char* selector;
};

constexpr IdentityFile kFiles[] = {
    {"bios_vendor", "/BIOSVENDOR"},        {"bios_version", "/BIOSVER"},
    {"bios_date", "/BIOSDATE"},            {"sys_vendor", "/PCMAKER"},
    {"product_name", "/PCNAME"},           {"product_version", "/PCVER"},
    {"product_serial", "/PCSERIAL"},       {"product_sku", "/PCSKU"},
    {"product_family", "/PCFAMILY"},       {"product_uuid", "/PCUUID"},
    {"board_vendor", "/BOARDMAN"},         {"board_name", "/BOARDPRODUCT"},
    {"board_version", "/BOARDVER"},        {"board_serial", "/BOARDSERIAL"},
    {"board_asset_tag", "/BOARDASSET"},    {"chassis_vendor", "/ENCLOSUREMAN"},
    {"chassis_type", "/ENCLOSURECHASSIS"}, {"chassis_version", "/ENCLOSUREVER"},
    {"chassis_serial", "/ENCLOSURESERIAL"}, {"chassis_asset_tag", "/ENCLOSUREASSET"},
};

}  // namespace

std::vector<IdentityText> LinuxIdentity::ReadIdentity() {
  std::vector<IdentityText> identity;
  struct stat info {};
  if (::stat(idDir_.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return identity;
  for (const IdentityFile& file : kFiles) {
    IdentityText& field = identity.emplace_back(IdentityText{file.selector, std::nullopt});
    // A file that cannot be read (the serials need root) has no text.
    std::string text;
    if (ReadTextFile(idDir_ + "/" + file.name, &text)) field.text = text;
  }
  return identity;
}

// udev writes the file whole and renames it into place: a plain file. Anything
// else (a FIFO, a device) is not udev's and is not waited on.
UdevMemoryData LinuxIdentity::ReadUdevMemoryData() {
  UdevMemoryData data;
  int fd = ::open(udevFile_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return data;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return data;
  }
  // One byte past the limit tells an oversized file from one that fits.
  std::string& bytes = data.bytes;
  const size_t wanted = kUdevMemoryDataLimit + 1;
  char chunk[16384];
  bool failed = false;
  while (bytes.size() < wanted) {
    ssize_t n = ::read(fd, chunk, std::min(sizeof chunk, wanted - bytes.size()));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) failed = true;
    if (n <= 0) break;
    bytes.append(chunk, static_cast<size_t>(n));
  }
  ::close(fd);
  if (failed) return UdevMemoryData{};
  data.truncated = bytes.size() > kUdevMemoryDataLimit;
  if (data.truncated) bytes.resize(kUdevMemoryDataLimit);
  data.readable = true;
  return data;
}

}  // namespace tarnlix::linux_backend
