// The memory array and devices udev publishes to every user: systemd's
// helper decodes the table's memory structures as root at boot, and udev
// keeps what it printed, one KEY=value a line. Each value goes back where
// its field row reads it, so that every output decodes it as a table's.
#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "acquire/bytes.h"
#include "smbios/field_tables.h"
#include "smbios/fields.h"
#include "smbios/identity_table.h"
#include "smbios/made_structure.h"

namespace tarnlix {

namespace {

// How a property's text becomes its field's bytes.
enum class Form : uint8_t {
  Text,      // a string of the structure
  Name,      // a code, by its name in the row's table
  Bits,      // bits, by their names separated by spaces
  Number,    // decimal, or hexadecimal after 0x
  Jedec,     // "Bank B, Hex 0xCC": the continuation count and the code
  Size,      // a device's size in bytes
  Present,   // "0": no module in the slot
  Capacity,  // an array's maximum capacity in bytes
};

struct Property {
  std::string_view key;  // after MEMORY_ARRAY_ or MEMORY_DEVICE_N_
  const char* selector;  // the field it fills
  Form form;
};

// The voltages are left out: the helper keeps one significant digit.
constexpr Property kArrayProperties[] = {
    {"LOCATION", "/MEMARRAYLOCATION", Form::Name},
    {"EC_TYPE", "/MEMARRAYECC", Form::Name},
    {"MAX_CAPACITY", "/MEMARRAYMAX", Form::Capacity},
    {"NUM_DEVICES", "/MEMARRAYSLOTS", Form::Number},
};

constexpr Property kDeviceProperties[] = {
    {"SIZE", "/MEMSIZE", Form::Size},
    {"PRESENT", "/MEMSIZE", Form::Present},
    {"TOTAL_WIDTH", "/MEMTOTALWIDTH", Form::Number},
    {"DATA_WIDTH", "/MEMDATAWIDTH", Form::Number},
    {"FORM_FACTOR", "/MEMFORMFACTOR", Form::Name},
    {"SET", "/MEMSET", Form::Number},
    {"LOCATOR", "/MEMDEVLOC", Form::Text},
    {"BANK_LOCATOR", "/MEMBANKLOC", Form::Text},
    {"TYPE", "/MEMTYPE", Form::Name},
    {"TYPE_DETAIL", "/MEMTYPEDETAIL", Form::Bits},
    {"SPEED_MTS", "/MEMSPEED", Form::Number},
    {"MANUFACTURER", "/MEMMAN", Form::Text},
    {"SERIAL_NUMBER", "/MEMSERIAL", Form::Text},
    {"ASSET_TAG", "/MEMASSET", Form::Text},
    {"PART_NUMBER", "/MEMPARTNO", Form::Text},
    {"RANK", "/MEMRANK", Form::Number},
    {"CONFIGURED_SPEED_MTS", "/MEMCONFSPEED", Form::Number},
    {"MEMORY_TECHNOLOGY", "/MEMTECH", Form::Name},
    {"MEMORY_OPERATING_MODE_CAPABILITY", "/MEMMODES", Form::Bits},
    {"FIRMWARE_VERSION", "/MEMFIRMWARE", Form::Text},
    {"MODULE_MANUFACTURER_ID", "/MEMMODULEMAN", Form::Jedec},
    {"MODULE_PRODUCT_ID", "/MEMMODULEPRODUCT", Form::Number},
    {"MEMORY_SUBSYSTEM_CONTROLLER_MANUFACTURER_ID", "/MEMCONTROLLERMAN", Form::Jedec},
    {"MEMORY_SUBSYSTEM_CONTROLLER_PRODUCT_ID", "/MEMCONTROLLERPRODUCT", Form::Number},
    {"NON_VOLATILE_SIZE", "/MEMNVSIZE", Form::Number},
    {"VOLATILE_SIZE", "/MEMVOLATILESIZE", Form::Number},
    {"CACHE_SIZE", "/MEMCACHESIZE", Form::Number},
    {"LOGICAL_SIZE", "/MEMLOGICALSIZE", Form::Number},
};

// Names systemd's helper spells otherwise than the tool's tables.
struct Spelling {
  const char* selector;
  uint16_t code;
  std::string_view name;
};
constexpr Spelling kHelperSpellings[] = {
    {"/MEMARRAYLOCATION", 0xA4, "CXL Add-on Card"},
    {"/MEMTYPEDETAIL", 6, "RAMBUS"},
    {"/MEMTECH", 7, "Intel Optane persistent memory"},
};

// What the helper writes where a string or a code has no value; for a code
// it has no name for, the marker dmidecode writes too.
constexpr std::string_view kNoValueTexts[] = {"Not Specified", kUnnamedCode, "<BAD INDEX>"};

// The structures' layouts: a device as long as its extended speeds need,
// an array as long as its extended capacity needs.
constexpr uint8_t kDeviceLength = 0x5C;
constexpr uint8_t kArrayLength = 0x0F;
constexpr uint8_t kArrayExtendedLength = 0x17;
constexpr uint16_t kArrayHandle = 0x1000;
constexpr uint16_t kFirstDeviceHandle = 0x1100;

// What a field holds where udev says nothing of it: none, where the field
// has a value for none.
struct Default {
  const char* selector;
  uint64_t value;
};
constexpr Default kArrayDefaults[] = {
    {"/MEMARRAYUSE", 0x03},             // System Memory
    {"/MEMARRAYMAX", 0x80000000u},      // in the extended field, which is left out
    {"/MEMARRAYERROR", 0xFFFE},         // no error record
};
constexpr Default kDeviceDefaults[] = {
    {"/MEMARRAYHANDLE", kArrayHandle},
    {"/MEMERRHANDLE", 0xFFFE},
    {"/MEMTOTALWIDTH", 0xFFFF},         // unknown
    {"/MEMDATAWIDTH", 0xFFFF},
    {"/MEMSIZE", 0xFFFF},
};
// The array's fields the devices decide: their count, and an error
// correction of None where udev names none (the helper leaves it out).
constexpr Default kArrayCounts[] = {{"/MEMARRAYSLOTS", 0}, {"/MEMARRAYECC", 0x03}};

// One value of a device's property, as the file gives it.
struct DeviceValue {
  uint16_t device;
  uint8_t property;  // in kDeviceProperties
  std::string_view text;
};
static_assert(std::size(kDeviceProperties) <= 32 && kMaxPublishedDevices <= UINT16_MAX);
// The shortest line of a device's property: "MEMORY_DEVICE_0_SET=" and its
// line end.
constexpr size_t kShortestDeviceLine = 21;

// The index of key in properties, or -1. The properties of each key length
// are found once: a file holds hundreds of lines, and few keys share a
// length.
template <const auto& kProperties>
int IndexOf(std::string_view key) {
  constexpr size_t kLengths = 64;
  static_assert(std::size(kProperties) <= 32);
  static const auto byLength = [] {
    std::array<uint32_t, kLengths> found{};
    for (size_t i = 0; i < std::size(kProperties); ++i) {
      if (kProperties[i].key.size() < kLengths) found[kProperties[i].key.size()] |= uint32_t{1} << i;
    }
    return found;
  }();
  if (key.empty() || key.size() >= kLengths) return -1;
  for (uint32_t left = byLength[key.size()]; left != 0; left &= left - 1) {
    int i = std::countr_zero(left);
    // Keys of one length seldom share their first letter.
    std::string_view known = kProperties[i].key;
    if (known[0] == key[0] && known == key) return i;
  }
  return -1;
}

bool ParseNumber(std::string_view text, uint64_t* value) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty() || text.size() > 20) return false;
  uint64_t result = 0;
  for (char c : text) {
    int digit = c >= '0' && c <= '9' ? c - '0'
                : base == 16 && c >= 'a' && c <= 'f' ? c - 'a' + 10
                : base == 16 && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                     : -1;
    if (digit < 0 || result > (UINT64_MAX - static_cast<uint64_t>(digit)) / base) return false;
    result = result * base + static_cast<uint64_t>(digit);
  }
  *value = result;
  return true;
}

// The code a name stands for in a row's table or in the helper's own
// spelling; false for a name neither knows.
bool CodeOf(const FieldRow& row, std::string_view name, uint16_t* code) {
  for (uint16_t i = 0; i < row.names->count; ++i) {
    const char* known = row.names->entries[i].name;
    if (!name.empty() && known[0] == name[0] && name == known) {
      *code = row.names->entries[i].code;
      return true;
    }
  }
  for (const Spelling& spelling : kHelperSpellings) {
    if (name == spelling.name && std::strcmp(row.selector, spelling.selector) == 0) {
      *code = spelling.code;
      return true;
    }
  }
  return false;
}

// The bits a list of names separated by spaces stands for. Names hold
// spaces themselves: at each place the longest name that ends at a space
// or at the end is taken; the list stops at a word no name begins.
uint64_t BitsOf(const FieldRow& row, std::string_view text) {
  uint64_t bits = 0;
  while (!text.empty()) {
    size_t best = 0;
    uint16_t bestCode = 0;
    for (size_t end = text.find(' ');; end = text.find(' ', end + 1)) {
      size_t size = end == std::string_view::npos ? text.size() : end;
      uint16_t code = 0;
      if (CodeOf(row, text.substr(0, size), &code) && code < 64) {
        best = size;
        bestCode = code;
      }
      if (end == std::string_view::npos) break;
    }
    if (best == 0) break;
    bits |= uint64_t{1} << bestCode;
    text.remove_prefix(std::min(text.size(), best + 1));
  }
  return bits;
}

// "Bank B, Hex 0xCC" as the word a JEDEC field holds; 0 when it reads
// otherwise.
uint16_t JedecOf(std::string_view text) {
  constexpr std::string_view kBank = "Bank ";
  constexpr std::string_view kHex = ", Hex ";
  if (text.substr(0, kBank.size()) != kBank) return 0;
  size_t comma = text.find(kHex);
  uint64_t bank = 0;
  uint64_t code = 0;
  if (comma == std::string_view::npos ||
      !ParseNumber(text.substr(kBank.size(), comma - kBank.size()), &bank) ||
      !ParseNumber(text.substr(comma + kHex.size()), &code) || bank < 1 || bank > 128 ||
      code > 0xFF) {
    return 0;
  }
  return static_cast<uint16_t>(code << 8 | (bank - 1));
}

// The low `size` bytes of value, little-endian, at `at`.
void WriteSized(uint8_t* at, uint64_t value, size_t size) {
  uint8_t bytes[8];
  WriteLe64(bytes, value);
  std::memcpy(at, bytes, size);
}

// A number into its row's bytes, or into the wide field its escape value
// points to; nothing when it fits neither.
void WriteNumber(const FieldRow& row, uint64_t value, MadeStructure& s) {
  uint64_t most = row.size >= 8 ? UINT64_MAX : (uint64_t{1} << (8 * row.size)) - 1;
  if (row.escape != 0 && value >= row.escape && row.wideSize != 0) {
    if (row.wideSize < 8 && value >> (8 * row.wideSize) != 0) return;
    WriteSized(s.formatted.data() + row.at, row.escape, row.size);
    WriteSized(s.formatted.data() + row.wideAt, value, row.wideSize);
    return;
  }
  if (value <= most) WriteSized(s.formatted.data() + row.at, value, row.size);
}

// A device's size: in MB in the word where it fits, else in kB there, else
// in MB in the extended double word; unknown where none holds it.
void WriteDeviceSize(const FieldRow& row, uint64_t bytes, MadeStructure& s) {
  uint8_t* word = s.formatted.data() + row.at;
  uint64_t megabytes = bytes >> 20;
  if (bytes % (uint64_t{1} << 20) == 0 && megabytes < 0x7FFF) {
    WriteLe16(word, static_cast<uint16_t>(megabytes));
  } else if (bytes % 1024 == 0 && bytes / 1024 < 0x7FFF) {
    WriteLe16(word, static_cast<uint16_t>(0x8000 | bytes / 1024));
  } else if (bytes % (uint64_t{1} << 20) == 0 && megabytes < 0x80000000u) {
    WriteLe16(word, 0x7FFF);
    WriteLe32(s.formatted.data() + 0x1C, static_cast<uint32_t>(megabytes));
  }
}

// An array's maximum capacity: in kB in the double word where it fits,
// else in bytes in the extended quad word.
void WriteCapacity(const FieldRow& row, uint64_t bytes, MadeStructure& s) {
  if (bytes % 1024 == 0 && bytes / 1024 < 0x80000000u) {
    WriteLe32(s.formatted.data() + row.at, static_cast<uint32_t>(bytes / 1024));
    return;
  }
  s.formatted.resize(kArrayExtendedLength);
  WriteLe32(s.formatted.data() + row.at, 0x80000000u);
  WriteLe64(s.formatted.data() + 0x0F, bytes);
}

// The rows of a table's selectors, looked up once: a file holds hundreds of
// properties.
template <const auto& kTable>
const FieldRow& RowOf(size_t i) {
  static const auto rows = [] {
    std::array<const FieldRow*, std::size(kTable)> found{};
    for (size_t k = 0; k < found.size(); ++k) found[k] = FindField(kTable[k].selector);
    return found;
  }();
  return *rows[i];
}

template <const auto& kDefaults>
void WriteDefaults(MadeStructure& s) {
  for (size_t i = 0; i < std::size(kDefaults); ++i) {
    WriteNumber(RowOf<kDefaults>(i), kDefaults[i].value, s);
  }
}

void WriteProperty(const Property& property, const FieldRow& row, std::string_view text,
                   MadeStructure& s) {
  for (std::string_view none : kNoValueTexts) {
    if (text == none) return;
  }
  uint64_t number = 0;
  uint16_t code = 0;
  switch (property.form) {
    case Form::Text:
      s.formatted[row.at] = s.AddString(text);
      return;
    case Form::Name:
      if (CodeOf(row, text, &code)) WriteNumber(row, code, s);
      return;
    case Form::Bits:
      WriteNumber(row, BitsOf(row, text), s);
      return;
    case Form::Number:
      if (ParseNumber(text, &number)) WriteNumber(row, number, s);
      return;
    case Form::Jedec:
      WriteLe16(s.formatted.data() + row.at, JedecOf(text));
      return;
    case Form::Size:
      if (ParseNumber(text, &number)) WriteDeviceSize(row, number, s);
      return;
    case Form::Present:
      if (text == "0") WriteNumber(row, 0, s);
      return;
    case Form::Capacity:
      if (ParseNumber(text, &number)) WriteCapacity(row, number, s);
      return;
  }
}

// The properties of one line: its key split into the array's or a device's
// and the property's own part.
struct Line {
  bool ofArray = false;
  size_t device = 0;
  std::string_view key;
  std::string_view value;
};

bool ParseLine(std::string_view line, Line* parsed) {
  if (line.substr(0, 2) == "E:") line.remove_prefix(2);  // udev's database
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  size_t equals = line.find('=');
  if (equals == std::string_view::npos) return false;
  std::string_view key = line.substr(0, equals);
  parsed->value = line.substr(equals + 1);
  constexpr std::string_view kArray = "MEMORY_ARRAY_";
  constexpr std::string_view kDevice = "MEMORY_DEVICE_";
  if (key.substr(0, kArray.size()) == kArray) {
    parsed->ofArray = true;
    parsed->key = key.substr(kArray.size());
    return true;
  }
  if (key.substr(0, kDevice.size()) != kDevice) return false;
  key.remove_prefix(kDevice.size());
  size_t digits = 0;
  size_t device = 0;
  while (digits < key.size() && key[digits] >= '0' && key[digits] <= '9') {
    device = device * 10 + static_cast<size_t>(key[digits] - '0');
    if (device >= kMaxPublishedDevices) return false;
    ++digits;
  }
  if (digits == 0 || digits >= key.size() || key[digits] != '_') return false;
  parsed->ofArray = false;
  parsed->device = device;
  parsed->key = key.substr(digits + 1);
  return true;
}

}  // namespace

void AppendMemoryStructures(std::string_view text, std::vector<uint8_t>& table) {
  if (text.size() > kMaxMemoryPropertiesSize) return;
  const size_t textSize = text.size();
  // The devices' values in the file's order, put in device order below; the
  // last value of a key counts.
  std::array<std::string_view, std::size(kArrayProperties)> array;
  bool anyArray = false;
  std::vector<DeviceValue> values;
  values.reserve(textSize / kShortestDeviceLine + 1);
  bool inOrder = true;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    Line parsed;
    if (!ParseLine(line, &parsed)) continue;
    if (parsed.ofArray) {
      int index = IndexOf<kArrayProperties>(parsed.key);
      if (index < 0) continue;
      array[static_cast<size_t>(index)] = parsed.value;
      anyArray = true;
    } else if (int index = IndexOf<kDeviceProperties>(parsed.key); index >= 0) {
      inOrder = inOrder && (values.empty() || values.back().device <= parsed.device);
      values.push_back({static_cast<uint16_t>(parsed.device), static_cast<uint8_t>(index),
                        parsed.value});
    }
  }
  if (!inOrder) {
    std::stable_sort(values.begin(), values.end(),
                     [](const DeviceValue& a, const DeviceValue& b) { return a.device < b.device; });
  }
  size_t deviceCount = 0;
  for (size_t i = 0; i < values.size(); ++i) {
    if (i == 0 || values[i].device != values[i - 1].device) ++deviceCount;
  }
  if (!anyArray && deviceCount == 0) return;
  // The structures' strings are the file's texts: room for all at once.
  table.reserve(table.size() + kArrayExtendedLength + 2 + deviceCount * (kDeviceLength + 2) +
                textSize);

  // One array, of the system's memory: the helper reports no other.
  MadeStructure memoryArray;
  memoryArray.formatted.resize(kArrayLength);
  WriteDefaults<kArrayDefaults>(memoryArray);
  WriteNumber(RowOf<kArrayCounts>(0), deviceCount, memoryArray);
  if (!array[0].empty()) WriteNumber(RowOf<kArrayCounts>(1), kArrayCounts[1].value, memoryArray);
  for (size_t i = 0; i < array.size(); ++i) {
    if (!array[i].empty()) {
      WriteProperty(kArrayProperties[i], RowOf<kArrayProperties>(i), array[i], memoryArray);
    }
  }
  memoryArray.AppendTo(16, kArrayHandle, table);

  std::array<std::string_view, std::size(kDeviceProperties)> texts;
  for (size_t first = 0; first < values.size();) {
    uint16_t number = values[first].device;
    uint32_t present = 0;  // the properties with a text
    size_t next = first;
    for (; next < values.size() && values[next].device == number; ++next) {
      const DeviceValue& value = values[next];
      texts[value.property] = value.text;
      uint32_t bit = uint32_t{1} << value.property;
      present = value.text.empty() ? present & ~bit : present | bit;
    }
    first = next;
    MadeStructure device;
    device.formatted.resize(kDeviceLength);
    WriteDefaults<kDeviceDefaults>(device);
    for (uint32_t left = present; left != 0; left &= left - 1) {
      int i = std::countr_zero(left);
      WriteProperty(kDeviceProperties[i], RowOf<kDeviceProperties>(i), texts[i], device);
    }
    device.AppendTo(17, static_cast<uint16_t>(kFirstDeviceHandle + number), table);
  }
}

}  // namespace tarnlix
