// The decoders every row shares: strings, numbers, names, bit lists,
// handles. What one structure type needs alone lives with its rows.
#include <cstring>
#include <string>

#include "acquire/bytes.h"
#include "platform/ascii.h"
#include "smbios/field_tables.h"
#include "smbios/fields.h"
#include "smbios/iso_date.h"

namespace tarnlix {

namespace {

// The manufacturer names a maker when it stands anywhere in the string, or
// begins it in any letter case.
bool NamesMaker(std::string_view text, std::string_view maker) {
  return StartsWithIgnoringCase(text, maker) || text.find(maker) != std::string_view::npos;
}

uint64_t ReadLe(const uint8_t* p, uint8_t size) {
  switch (size) {
    case 1: return p[0];
    case 2: return ReadLe16(p);
    case 4: return ReadLe32(p);
    default: return ReadLe64(p);
  }
}

uint64_t AllOnes(const FieldRow& row) {
  if (row.mask != 0) return row.mask;
  return row.size >= 8 ? ~uint64_t{0} : (uint64_t{1} << (8 * row.size)) - 1;
}

// The Number a row reads; false when the structure has none. Inlined: it
// is the heart of most decoders.
[[gnu::always_inline]] inline bool NumberOf(const FieldRow& row, const StructureView& s, uint64_t* value) {
  if (s.length < row.Since() || !s.Has(row.at, row.size)) return false;
  uint64_t raw = ReadLe(s.bytes + row.at, row.size);
  if (row.mask != 0) raw = (raw >> row.shift) & row.mask;
  if (row.escape != 0 && raw == row.escape) {
    if (row.wideSize != 0 && s.Has(row.wideAt, row.wideSize)) {
      raw = ReadLe(s.bytes + row.wideAt, row.wideSize);
    } else if (row.escapeNeedsWide) {
      return false;
    }
  }
  if ((row.none & kNoneIfZero) && raw == 0) return false;
  if ((row.none & kNoneIfAllOnes) && raw == AllOnes(row)) return false;
  *value = raw;
  return true;
}

// Two family codes name different processors by maker, and one also by the
// table's version.
const char* FamilyName(const FieldRow& row, const StructureView& s, uint64_t code) {
  if (code == 0xBE || code == 0x30) {
    std::string_view maker = s.length > 0x07 ? s.String(s.bytes[0x07]) : std::string_view();
    bool intel = NamesMaker(maker, "Intel");
    bool amd = NamesMaker(maker, "AMD");
    if (code == 0xBE && intel) return "Core 2";
    if (code == 0xBE && amd) return "K7";
    if (code == 0x30 && intel && s.versionMajor == 2 && s.versionMinor == 0) {
      return "Pentium Pro";
    }
  }
  return row.names->Find(static_cast<uint32_t>(code));
}

void SetName(const char* name, FieldValue& value) {
  if (name != nullptr) value.SetLasting(name);
}

void UuidText(const StructureView& s, uint8_t at, FieldValue& value) {
  const uint8_t* bytes = s.bytes + at;
  bool allZero = true;
  bool allOnes = true;
  for (int i = 0; i < 16; ++i) {
    allZero = allZero && bytes[i] == 0x00;
    allOnes = allOnes && bytes[i] == 0xFF;
  }
  // All zeros: no UUID; all ones: present but not set.
  if (allZero || allOnes) return;

  const int* order = UuidByteOrder(!s.Before(2, 6));
  char text[36];
  char* out = text;
  for (int i = 0; i < 16; ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) *out++ = '-';
    uint8_t byte = bytes[order[i]];
    *out++ = HexDigit(byte >> 4);
    *out++ = HexDigit(byte);
  }
  value.SetText({text, sizeof text});
}

// The named bits of a bit field, in bit order.
template <typename F>
void ForEachNamedBit(const FieldRow& row, uint64_t bits, F f) {
  for (int bit = 0; bit < 64 && bits != 0; ++bit, bits >>= 1) {
    if ((bits & 1) == 0) continue;
    if (const char* name = row.names->Find(static_cast<uint32_t>(bit))) f(name);
  }
}

}  // namespace

void StructureView::IndexStrings(StringIndex& found) {
  found.count = 0;
  const char* text = reinterpret_cast<const char*>(strings);
  for (size_t offset = 0; offset < stringsLength && found.count < StringIndex::kSize;) {
    size_t size = strnlen(text + offset, stringsLength - offset);
    found.starts[found.count] = static_cast<uint32_t>(offset);
    found.lengths[found.count] = static_cast<uint32_t>(size);
    ++found.count;
    offset += size + 1;
  }
  index = &found;
}

std::string_view StructureView::String(uint8_t number, bool trim) const {
  if (number == 0) return {};
  if (index != nullptr && (number <= index->count || index->count < StringIndex::kSize)) {
    if (number > index->count) return {};
    const char* text = reinterpret_cast<const char*>(strings) + index->starts[number - 1];
    size_t size = index->lengths[number - 1];
    while (trim && size > 0 && text[size - 1] == ' ') --size;
    return {text, size};
  }
  size_t offset = 0;
  for (uint8_t n = 1; offset < stringsLength; ++n) {
    const char* text = reinterpret_cast<const char*>(strings + offset);
    size_t size = strnlen(text, stringsLength - offset);
    if (n == number) {
      while (trim && size > 0 && text[size - 1] == ' ') --size;
      return {text, size};
    }
    offset += size + 1;
    if (n == 255) break;
  }
  return {};
}

bool StructureView::HasString(uint8_t number) const {
  if (number == 0) return false;
  size_t offset = 0;
  for (uint8_t n = 1; offset < stringsLength; ++n) {
    if (n == number) return true;
    offset += strnlen(reinterpret_cast<const char*>(strings + offset), stringsLength - offset) + 1;
    if (n == 255) break;
  }
  return false;
}

const int* UuidByteOrder(bool littleEndian) {
  static const int kLittleEndian[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
  static const int kAsWritten[16] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
  return littleEndian ? kLittleEndian : kAsWritten;
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

uint64_t ShownSize(uint64_t value, SizeUnit base, SizeUnit unit) {
  // Parts of 10 bits each: bytes (or the base unit), kB, MB ...
  uint64_t parts[7];
  for (uint64_t& part : parts) {
    part = value & 0x3FF;
    value >>= 10;
  }
  int top = 6;
  while (top > 0 && parts[top] == 0) --top;
  uint64_t shown = parts[top];
  int shownUnit = top;
  if (top > 0 && parts[top - 1] != 0) {
    shown = parts[top - 1] + (parts[top] << 10);
    shownUnit = top - 1;
  }
  shownUnit += base;
  if (shownUnit < unit) return shown >> (10 * (unit - shownUnit));
  int shift = 10 * (shownUnit - unit);
  // Nothing real comes near; a size past 2^64 units is shown as the most.
  if (shift > 0 && (shift >= 64 || (shown >> (64 - shift)) != 0)) return ~uint64_t{0};
  return shown << shift;
}

void AddToTableValues(uint8_t type, const StructureView& structure, TableValues& table) {
  if (type == 17) table.values[kMemoryTotalMb] += MemorySizeMb(structure);
  if (type < kIdentityTypes && table.identity[type].bytes == nullptr) {
    table.identity[type] = structure;
    table.identity[type].index = nullptr;
  }
}

void DecodeField(const FieldRow& row, const StructureView& s, bool iso, FieldValue& value) {
  value.Clear();
  uint64_t number = 0;
  switch (row.decode) {
    case FieldDecode::String: {
      if (!s.Has(row.at, 1) || s.length < row.Since()) return;
      uint8_t string = s.bytes[row.at];
      if (row.place != 0 && string > kMaxPlacedString) return;
      value.SetLasting(s.String(string));
      if (iso && row.isoForm && value.present()) {
        value.SetText(FormatIsoDate(std::string(value.text()).c_str()));
      }
      return;
    }
    case FieldDecode::StringNumber:
      if (s.length >= row.Since()) value.SetLasting(s.String(row.at));
      return;
    case FieldDecode::Table:
      if (s.table == nullptr) return;
      if (row.special != nullptr) {
        if (!row.special(row, s, value)) value.Clear();
      } else if (s.table->values[row.at] != 0) {
        value.SetNumber(s.table->values[row.at]);
      }
      return;
    case FieldDecode::Uuid:
      if (s.length >= row.Since()) UuidText(s, row.at, value);
      return;
    case FieldDecode::Release: {
      if (s.length < row.Since()) return;
      uint8_t major = s.bytes[row.at];
      uint8_t minor = s.bytes[row.at + 1];
      if (major == 0xFF || minor == 0xFF) return;
      value.BeginText();
      value.AppendDecimal(major);
      value.Append('.');
      value.AppendDecimal(minor);
      return;
    }
    case FieldDecode::Number:
      if (NumberOf(row, s, &number)) value.SetNumber(number);
      return;
    case FieldDecode::Decimal:
      if (NumberOf(row, s, &number)) value.SetDecimal(static_cast<int64_t>(number), 3);
      return;
    case FieldDecode::Name:
      if (NumberOf(row, s, &number)) SetName(row.names->Find(static_cast<uint32_t>(number)), value);
      return;
    case FieldDecode::Bits:
      if (!NumberOf(row, s, &number)) return;
      value.BeginList();
      ForEachNamedBit(row, number, [&value](const char* name) { value.Item(name); });
      return;
    case FieldDecode::BitsText: {
      if (!NumberOf(row, s, &number)) return;
      value.BeginText();
      bool first = true;
      ForEachNamedBit(row, number, [&](const char* name) {
        if (!first) value.Append(' ');
        value.Append(name);
        first = false;
      });
      if (first) value.Clear();  // no named bit: "None"
      return;
    }
    case FieldDecode::Handle:
    case FieldDecode::Hex: {
      if (!NumberOf(row, s, &number)) return;
      if (row.valueNames != nullptr) {
        if (const char* name = row.valueNames->Find(static_cast<uint32_t>(number))) {
          SetName(name, value);  // an empty name leaves it absent
          return;
        }
      }
      value.BeginText();
      value.AppendHex(number, row.decode == FieldDecode::Handle ? 4 : 2 * row.size);
      return;
    }
    case FieldDecode::ProcessorFamily:
      if (NumberOf(row, s, &number)) SetName(FamilyName(row, s, number), value);
      return;
    case FieldDecode::MemorySize:
      if (uint64_t size = MemorySizeMb(s)) value.SetNumber(size);
      return;
    case FieldDecode::Special:
      if (s.length >= row.Since() && !row.special(row, s, value)) value.Clear();
      return;
  }
}

bool VoltageCode(const FieldRow& row, const StructureView& s, FieldValue& value) {
  uint8_t code = s.bytes[row.at];
  value.BeginText();
  if (code & 0x80) {
    value.AppendDecimal((code & 0x7F) / 10);
    value.Append('.');
    value.AppendDecimal((code & 0x7F) % 10);
    value.Append(" V");
    return true;
  }
  bool any = false;
  ForEachNamedBit(row, code & 0x07, [&](const char* name) {
    if (any) value.Append(' ');
    value.Append(name);
    any = true;
  });
  return any;
}

}  // namespace tarnlix
