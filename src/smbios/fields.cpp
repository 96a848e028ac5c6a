#include "smbios/fields.h"

#include <cstring>

#include "smbios/bytes.h"
#include "smbios/names.h"

namespace tarnlix {

namespace {

constexpr FieldRow Text(const char* selector, uint8_t type, uint8_t slot) {
  return {selector, type, FieldDecode::String, slot, 0, 0, 0, 0, 0, false,
          nullptr, nullptr, "", false, false, false};
}
constexpr FieldRow Alias(FieldRow row, const char* selector) {
  row.selector = selector;
  row.alias = true;
  return row;
}
constexpr FieldRow Date(FieldRow row) {
  row.isoForm = true;
  return row;
}
constexpr FieldRow Uuid(const char* selector, uint8_t type, uint8_t at) {
  return {selector, type, FieldDecode::Uuid, at, 16, static_cast<uint8_t>(at + 16), 0, 0, 0, false,
          nullptr, "UUID          ", "", false, false, false};
}
constexpr FieldRow Release(const char* selector, uint8_t at, const char* label) {
  return {selector, 0, FieldDecode::Release, at, 2, 0x18, 0, 0, 0, false,
          nullptr, label, "", false, false, false};
}
// A count of one byte that reads 0xFF when the real count is in a word.
constexpr FieldRow Count(const char* selector, uint8_t at, uint8_t wideAt,
                         const char* label) {
  return {selector, 4, FieldDecode::Number, at, 1, 0x28, 0xFF, wideAt, 2, false,
          nullptr, label, "", true, false, false};
}

constexpr FieldRow kRows[] = {
    Text("/BIOSVENDOR", 0, 0),
    Text("/BIOSVER", 0, 1),
    Date(Text("/BIOSDATE", 0, 2)),
    Release("/BIOSREV", 0x14, "Revision      "),
    Release("/ECREV", 0x16, "EC revision   "),

    Text("/PCMAKER", 1, 0),
    Text("/PCNAME", 1, 1),
    Text("/PCVER", 1, 2),
    Text("/PCSERIAL", 1, 3),
    Text("/PCSKU", 1, 4),
    Text("/PCFAMILY", 1, 5),
    Uuid("/PCUUID", 1, 0x08),

    Text("/BOARDMAN", 2, 0),
    Text("/BOARDPRODUCT", 2, 1),
    Text("/BOARDVER", 2, 2),
    Text("/BOARDSERIAL", 2, 3),
    Text("/BOARDASSET", 2, 4),
    Text("/BOARDLOCATION", 2, 5),

    Text("/ENCLOSUREMAN", 3, 0),
    Text("/ENCLOSURETYPE", 3, 1),
    // The misspelt text is what scripts have always used; both work.
    Alias(Text("/ENCLOSURETYPE", 3, 1), "/ENCLOSEURETYPE"),
    Text("/ENCLOSUREVER", 3, 2),
    Text("/ENCLOSURESERIAL", 3, 3),
    Text("/ENCLOSUREASSET", 3, 4),

    Text("/PROCESSORSOCKET", 4, 0),
    Text("/PROCESSORMAN", 4, 1),
    Text("/PROCESSORVER", 4, 2),
    Text("/PROCESSORSERIAL", 4, 3),
    Text("/PROCESSORASSET", 4, 4),
    Text("/PROCESSORPARTNUM", 4, 5),
    Text("/PROCESSOREXTRA", 4, 6),
    // A family above 0xFD is in the word at 0x28.
    {"/PROCESSORFAMILY", 4, FieldDecode::ProcessorFamily, 0x06, 1, 0x07, 0xFE,
     0x28, 2, false, ProcessorFamilyName, "Family        ", "", false, false, false},
    {"/PROCESSORSPEED", 4, FieldDecode::Number, 0x16, 2, 0x1A, 0, 0, 0, false,
     nullptr, "Speed         ", " MHz", true, false, false},
    Count("/PROCESSORCORES", 0x23, 0x2A, "Cores         "),
    Count("/PROCESSORTHREADS", 0x25, 0x2E, "Threads       "),

    Text("/CACHESOCKET", 7, 0),

    Text("/PORTINTERNALREF", 8, 0),
    Text("/PORTEXTERNALREF", 8, 1),
    Text("/PORTEXTRA", 8, 2),

    Text("/SLOTDESIGNATION", 9, 0),

    Text("/DEVICEDESC", 10, 0),

    Text("/OEM1", 11, 0),
    Text("/OEM2", 11, 1),
    Text("/OEM3", 11, 2),
    Text("/OEM4", 11, 3),
    Text("/OEM5", 11, 4),
    Text("/OEM6", 11, 5),
    Text("/OEM7", 11, 6),

    Text("/MEMDEVLOC", 17, 0),
    Text("/MEMBANKLOC", 17, 1),
    Text("/MEMMAN", 17, 2),
    Text("/MEMSERIAL", 17, 3),
    Text("/MEMASSET", 17, 4),
    Text("/MEMPARTNO", 17, 5),
    {"/MEMSIZE", 17, FieldDecode::MemorySize, 0x0C, 2, 0x0E, 0, 0, 0, false,
     nullptr, "Size          ", " MB", true, false, false},
    // 0xFFFF: the speed is in the double word at 0x54.
    {"/MEMSPEED", 17, FieldDecode::Number, 0x15, 2, 0x17, 0xFFFF, 0x54, 4, true,
     nullptr, "Speed         ", " MT/s", true, false, false},
    {"/MEMTYPE", 17, FieldDecode::Name, 0x12, 1, 0x13, 0, 0, 0, false,
     MemoryTypeName, "Type          ", "", false, false, false},
    {"/MEMTOTAL", 17, FieldDecode::MemoryTotal, 0, 0, 0, 0, 0, 0, false,
     nullptr, nullptr, "", true, false, false},

    Text("/BATLOC", 22, 0),
    Text("/BATMAN", 22, 1),
    Text("/BATDATE", 22, 2),
    Text("/BATSERIAL", 22, 3),
    Text("/BATNAME", 22, 4),
    Text("/BATVER", 22, 5),
    Text("/BATCHEM", 22, 6),
};

constexpr size_t kRowCount = sizeof kRows / sizeof kRows[0];

constexpr bool IsValueRow(const FieldRow& row) {
  return row.decode != FieldDecode::String &&
         row.decode != FieldDecode::MemoryTotal && !row.alias;
}

// The value rows of each structure type, worked out when the tool is built.
constexpr int kValueTypes = 32;  // no later type is stored
struct ValueTable {
  const FieldRow* rows[kValueTypes][kMaxValues] = {};
  int counts[kValueTypes] = {};
  bool fits = true;
};

constexpr ValueTable BuildValueTable() {
  ValueTable table;
  for (const FieldRow& row : kRows) {
    if (!IsValueRow(row)) continue;
    if (row.type >= kValueTypes || table.counts[row.type] == kMaxValues) {
      table.fits = false;
      continue;
    }
    table.rows[row.type][table.counts[row.type]++] = &row;
  }
  return table;
}

constexpr ValueTable kValueTable = BuildValueTable();
static_assert(kValueTable.fits, "a record holds at most kMaxValues values");

constexpr StructureGroup kGroups[] = {
    {"/BIOS", 0, true},       {"/PC", 1, true},    {"/BOARD", 2, true},
    {"/ENCLOSURE", 3, true},  {"/PROCESSOR", 4, true},
    {"/CACHE", 7, false},     {"/PORT", 8, true},  {"/SLOT", 9, true},
    {"/DEVICE", 10, false},   {"/OEM", 11, true},  {"/MEM", 17, true},
    {"/BATTERY", 22, true},
};

char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameIgnoringCase(const char* a, const char* b, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

// The manufacturer names a maker when it stands anywhere in the string, or
// begins it in any letter case.
bool NamesMaker(const char* text, size_t length, const char* maker) {
  size_t size = std::strlen(maker);
  if (length < size) return false;
  if (SameIgnoringCase(text, maker, size)) return true;
  for (size_t i = 0; i + size <= length; ++i) {
    if (std::memcmp(text + i, maker, size) == 0) return true;
  }
  return false;
}

// String number `number` of a structure, with no limit on the number; null
// when the string-set has no such string.
const char* StringNumber(const StructureView& s, uint8_t number, size_t* length) {
  if (number == 0) return nullptr;
  size_t offset = 0;
  for (uint8_t n = 1; offset < s.stringsLength; ++n) {
    const char* text = reinterpret_cast<const char*>(s.strings + offset);
    size_t size = strnlen(text, s.stringsLength - offset);
    if (n == number) {
      *length = size;
      return text;
    }
    offset += size + 1;
  }
  return nullptr;
}

uint32_t ReadLe(const uint8_t* p, uint8_t size) {
  return size == 1 ? p[0] : size == 2 ? ReadLe16(p) : ReadLe32(p);
}

// The Number a row reads, 0 when the structure has none.
uint32_t NumberOf(const FieldRow& row, const StructureView& s) {
  if (s.length < row.minLength || s.length < size_t{row.at} + row.size) return 0;
  uint32_t value = ReadLe(s.bytes + row.at, row.size);
  if (row.escape != 0 && value == row.escape) {
    if (row.wideSize != 0 && s.length >= size_t{row.wideAt} + row.wideSize) {
      value = ReadLe(s.bytes + row.wideAt, row.wideSize);
    } else if (row.escapeNeedsWide) {
      value = 0;
    }
  }
  return value;
}

// Two family codes name different processors by maker, and one also by the
// table's version.
const char* FamilyName(const FieldRow& row, const StructureView& s, uint32_t code) {
  if (code == 0xBE || code == 0x30) {
    size_t length = 0;
    const char* maker =
        s.length > 0x07 ? StringNumber(s, s.bytes[0x07], &length) : nullptr;
    bool intel = maker != nullptr && NamesMaker(maker, length, "Intel");
    bool amd = maker != nullptr && NamesMaker(maker, length, "AMD");
    if (code == 0xBE && intel) return "Core 2";
    if (code == 0xBE && amd) return "K7";
    if (code == 0x30 && intel && s.versionMajor == 2 && s.versionMinor == 0) {
      return "Pentium Pro";
    }
  }
  return row.names(code);
}

// Writes value in decimal at out and returns the end (printf costs more
// than a whole structure's decoding).
char* AppendDecimal(char* out, uint64_t value) {
  char digits[20];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  while (count > 0) *out++ = digits[--count];
  return out;
}

const char* Decimal(uint64_t value, char (&buffer)[kValueTextSize]) {
  *AppendDecimal(buffer, value) = '\0';
  return buffer;
}

const char* UuidText(const StructureView& s, uint8_t at,
                     char (&buffer)[kValueTextSize]) {
  const uint8_t* bytes = s.bytes + at;
  bool allZero = true;
  bool allOnes = true;
  for (int i = 0; i < 16; ++i) {
    allZero = allZero && bytes[i] == 0x00;
    allOnes = allOnes && bytes[i] == 0xFF;
  }
  // All zeros: no UUID; all ones: present but not set.
  if (allZero || allOnes) return nullptr;

  // Since SMBIOS 2.6 the first three fields are stored little-endian; a
  // table that carries no version is taken to be that recent.
  bool littleEndian = s.versionMajor <= 0 || s.versionMajor > 2 ||
                      (s.versionMajor == 2 && s.versionMinor >= 6);
  static const int kLittleEndianOrder[16] = {3, 2, 1, 0, 5, 4, 7, 6,
                                             8, 9, 10, 11, 12, 13, 14, 15};
  static const char kHex[] = "0123456789ABCDEF";
  char* out = buffer;
  for (int i = 0; i < 16; ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) *out++ = '-';
    uint8_t value = bytes[littleEndian ? kLittleEndianOrder[i] : i];
    *out++ = kHex[value >> 4];
    *out++ = kHex[value & 0x0F];
  }
  *out = '\0';
  return buffer;
}

}  // namespace

const FieldRow* FieldRows() { return kRows; }
size_t FieldRowCount() { return kRowCount; }

const FieldRow* FindField(const char* text) {
  size_t length = std::strlen(text);
  for (const FieldRow& row : kRows) {
    if (std::strlen(row.selector) == length && SameIgnoringCase(text, row.selector, length)) {
      return &row;
    }
  }
  return nullptr;
}

const FieldRow* const* ValueRowsOf(uint8_t type, int* count) {
  if (type >= kValueTypes) {
    *count = 0;
    return kValueTable.rows[0];
  }
  *count = kValueTable.counts[type];
  return kValueTable.rows[type];
}

int ValueIndex(const FieldRow& row) {
  int count = 0;
  const FieldRow* const* rows = ValueRowsOf(row.type, &count);
  for (int i = 0; i < count; ++i) {
    if (rows[i] == &row) return i;
  }
  return -1;
}

uint64_t MemorySizeMb(const StructureView& device) {
  if (device.length < 0x0E) return 0;
  uint16_t word = ReadLe16(device.bytes + 0x0C);
  if (word == 0 || word == 0xFFFF) return 0;  // no module, or unknown
  if (word == 0x7FFF && device.length >= 0x20) {
    return ReadLe32(device.bytes + 0x1C) & 0x7FFFFFFFu;
  }
  if (word & 0x8000) return (word & 0x7FFFu) / 1024;  // in KB
  return word;
}

const char* DecodeField(const FieldRow& row, const StructureView& s,
                        char (&buffer)[kValueTextSize]) {
  switch (row.decode) {
    case FieldDecode::Uuid:
      return s.length >= row.minLength ? UuidText(s, row.at, buffer) : nullptr;
    case FieldDecode::Release: {
      if (s.length < row.minLength) return nullptr;
      uint8_t major = s.bytes[row.at];
      uint8_t minor = s.bytes[row.at + 1];
      if (major == 0xFF || minor == 0xFF) return nullptr;
      char* out = AppendDecimal(buffer, major);
      *out++ = '.';
      *AppendDecimal(out, minor) = '\0';
      return buffer;
    }
    case FieldDecode::Number: {
      uint32_t value = NumberOf(row, s);
      return value != 0 ? Decimal(value, buffer) : nullptr;
    }
    case FieldDecode::Name:
      return s.length >= row.minLength ? row.names(NumberOf(row, s)) : nullptr;
    case FieldDecode::ProcessorFamily:
      return s.length >= row.minLength ? FamilyName(row, s, NumberOf(row, s)) : nullptr;
    case FieldDecode::MemorySize: {
      uint64_t size = MemorySizeMb(s);
      return size != 0 ? Decimal(size, buffer) : nullptr;
    }
    case FieldDecode::String:
    case FieldDecode::MemoryTotal:
      break;
  }
  return nullptr;
}

const StructureGroup* StructureGroups() { return kGroups; }
size_t StructureGroupCount() { return sizeof kGroups / sizeof kGroups[0]; }

}  // namespace tarnlix
