#include <strings.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <optional>

#include "acquire/raw_table.h"
#include "platform/linux/linux_platform.h"
#include "smbios/bytes.h"

namespace tarnlix::linux_backend {

namespace {

const char kSubKey[] = "SYSTEM\\CurrentControlSet\\Services\\mssmbios\\Data";
const char kValueName[] = "SMBiosData";
int g_openKey;  // the one key this registry has

// One structure under construction: the formatted area, then its strings.
class StructureBuilder {
 public:
  StructureBuilder(uint8_t type, uint8_t length, uint16_t handle)
      : formatted_(length, 0) {
    formatted_[0] = type;
    formatted_[1] = length;
    WriteLe16(formatted_.data() + 2, handle);
  }
  void SetByte(size_t offset, uint8_t value) { formatted_[offset] = value; }
  // Stores the string's number at offset; an absent or empty text stays 0.
  void SetString(size_t offset, const std::optional<std::string>& text) {
    if (!text || text->empty()) return;
    strings_.push_back(*text);
    formatted_[offset] = static_cast<uint8_t>(strings_.size());
  }
  // The kernel shows the UUID as text; it is stored the way SMBIOS 2.6 and
  // later store it (the first three fields little-endian), which is how a
  // table without a version is read back.
  void SetUuid(const std::string& text) {
    static const int kOrder[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    uint8_t bytes[16];
    int count = 0;
    for (size_t i = 0; i < text.size() && count < 32; ++i) {
      if (text[i] == '-') continue;
      int digit = HexDigit(text[i]);
      if (digit < 0) return;
      bytes[count / 2] = static_cast<uint8_t>(count % 2 == 0 ? digit << 4 : bytes[count / 2] | digit);
      ++count;
    }
    if (count != 32) return;
    for (int i = 0; i < 16; ++i) formatted_[0x08 + kOrder[i]] = bytes[i];
  }
  static int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }
  void AppendTo(std::vector<uint8_t>* table) const {
    table->insert(table->end(), formatted_.begin(), formatted_.end());
    for (const std::string& text : strings_) {
      table->insert(table->end(), text.begin(), text.end());
      table->push_back(0);
    }
    if (strings_.empty()) table->push_back(0);
    table->push_back(0);
  }

 private:
  std::vector<uint8_t> formatted_;
  std::vector<std::string> strings_;
};

}  // namespace

std::vector<uint8_t> LinuxRegistry::BuildTable() const {
  // A file that cannot be read (the serials need root) is an absent string.
  auto field = [this](const char* name) -> std::optional<std::string> {
    std::string text;
    if (!ReadTextFile(idDir_ + "/" + name, &text)) return std::nullopt;
    return text;
  };

  std::vector<uint8_t> table(kRawHeaderSize, 0);

  StructureBuilder bios(0, 0x18, 0);
  bios.SetString(0x04, field("bios_vendor"));
  bios.SetString(0x05, field("bios_version"));
  bios.SetString(0x08, field("bios_date"));
  bios.AppendTo(&table);

  StructureBuilder system(1, 0x1B, 1);
  system.SetString(0x04, field("sys_vendor"));
  system.SetString(0x05, field("product_name"));
  system.SetString(0x06, field("product_version"));
  system.SetString(0x07, field("product_serial"));
  system.SetString(0x19, field("product_sku"));
  system.SetString(0x1A, field("product_family"));
  if (std::optional<std::string> uuid = field("product_uuid")) {
    system.SetUuid(*uuid);
  }
  system.AppendTo(&table);

  StructureBuilder board(2, 0x0F, 2);
  board.SetString(0x04, field("board_vendor"));
  board.SetString(0x05, field("board_name"));
  board.SetString(0x06, field("board_version"));
  board.SetString(0x07, field("board_serial"));
  board.SetString(0x08, field("board_asset_tag"));
  board.AppendTo(&table);

  StructureBuilder chassis(3, 0x09, 3);
  chassis.SetString(0x04, field("chassis_vendor"));
  if (std::optional<std::string> type = field("chassis_type")) {
    chassis.SetByte(0x05, static_cast<uint8_t>(std::strtoul(type->c_str(), nullptr, 10)));
  }
  chassis.SetString(0x06, field("chassis_version"));
  chassis.SetString(0x07, field("chassis_serial"));
  chassis.SetString(0x08, field("chassis_asset_tag"));
  chassis.AppendTo(&table);

  StructureBuilder end(127, 4, 4);
  end.AppendTo(&table);

  WriteLe32(table.data() + 4, static_cast<uint32_t>(table.size() - kRawHeaderSize));
  return table;
}

long LinuxRegistry::RegOpenKeyExA(uintptr_t root, const char* subKey, uint32_t,
                                  uint32_t, KeyHandle* key) {
  constexpr long kErrorFileNotFound = 2;
  struct stat info {};
  if (root != kHkeyLocalMachine || ::strcasecmp(subKey, kSubKey) != 0 ||
      ::stat(idDir_.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
    return kErrorFileNotFound;
  }
  *key = &g_openKey;
  return kErrorSuccess;
}

long LinuxRegistry::RegQueryValueExA(KeyHandle key, const char* valueName,
                                     uint32_t* type, uint8_t* data,
                                     uint32_t* size) {
  constexpr long kErrorFileNotFound = 2;
  constexpr uint32_t kRegBinary = 3;
  if (key != &g_openKey || ::strcasecmp(valueName, kValueName) != 0) {
    return kErrorFileNotFound;
  }
  std::vector<uint8_t> table = BuildTable();
  uint32_t needed = static_cast<uint32_t>(table.size());
  if (type != nullptr) *type = kRegBinary;
  uint32_t room = *size;
  *size = needed;
  if (data == nullptr) return kErrorSuccess;
  if (room < needed) return kErrorMoreData;
  std::memcpy(data, table.data(), needed);
  return kErrorSuccess;
}

long LinuxRegistry::RegCloseKey(KeyHandle) { return kErrorSuccess; }

}  // namespace tarnlix::linux_backend
