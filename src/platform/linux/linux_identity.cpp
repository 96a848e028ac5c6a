#include <sys/stat.h>

#include "platform/linux/linux_platform.h"

namespace tarnlix::linux_backend {

namespace {

// The kernel's identity files and the fields they hold.
struct IdentityFile {
  const char* name;
  const char* selector;
  bool optional = false;  // the kernel makes it only where the firmware gives it
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
    {"bios_release", "/BIOSREV", true},    {"ec_firmware_release", "/ECREV", true},
};

}  // namespace

std::vector<IdentityText> LinuxIdentity::ReadIdentity() {
  std::vector<IdentityText> identity;
  struct stat info {};
  if (::stat(idDir_.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return identity;
  for (const IdentityFile& file : kFiles) {
    std::string path = idDir_ + "/" + file.name;
    if (file.optional && ::stat(path.c_str(), &info) != 0) continue;
    IdentityText& field = identity.emplace_back(IdentityText{file.selector, std::nullopt});
    // A file that cannot be read (the serials need root) has no text.
    std::string text;
    if (ReadTextFile(path, &text)) field.text = text;
  }
  return identity;
}

// udev writes the file whole and renames it into place: a plain file.
UdevMemoryData LinuxIdentity::ReadUdevMemoryData() {
  UdevMemoryData data;
  PlainFileRead read = ReadPlainFile(udevFile_, kUdevMemoryDataLimit, &data.bytes);
  data.readable = read != PlainFileRead::Failed;
  data.truncated = read == PlainFileRead::OverLimit;
  return data;
}

}  // namespace tarnlix::linux_backend
