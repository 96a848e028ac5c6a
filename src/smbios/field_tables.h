// What the files of field rows share: the helpers of their decoders, and
// each structure type's group, which fields.cpp puts in type order.
#pragma once

#include <cstring>

#include "acquire/bytes.h"
#include "smbios/fields.h"
#include "smbios/name_tables.h"

namespace tarnlix {

// Another spelling of a row, listed right after it.
constexpr FieldRow Alias(FieldRow row, const char* selector) {
  row.selector = selector;
  row.alias = true;
  return row;
}

// A voltage byte of a processor or a memory controller, as dmidecode writes
// it: with the top bit set, one voltage in tenths of a volt ("1.2 V"), else
// the voltages of bits 0-2, named by the row's table, separated by spaces.
bool VoltageCode(const FieldRow& row, const StructureView& s, FieldValue& value);

// What dmidecode writes in a list or a composed text for a code it has no
// name for: kept there so that the items that follow keep their places.
inline constexpr char kUnnamedCode[] = "<OUT OF SPEC>";

// Handles whose value says there is no error record.
inline constexpr CodeName kErrorHandleEntries[] = {{0xFFFE, ""}, {0xFFFF, "No Error"}};
inline constexpr NameTable kErrorHandleNames{kErrorHandleEntries, 2};

// Helpers the files of several structure types share.

// A label, then a number in decimal.
inline void AppendPart(FieldValue& value, const char* label, uint32_t number) {
  value.Append(label);
  value.AppendDecimal(number);
}

// What dmidecode writes for a string number the string-set does not hold.
inline constexpr const char kBadString[] = "<BAD INDEX>";

// Strings 1 to the count at 0x04, in one walk of the string-set: OEM
// structures can hold all 255.
inline bool CountedStrings(const FieldRow&, const StructureView& s, FieldValue& value) {
  uint8_t count = s.bytes[0x04];
  value.BeginList();
  size_t offset = 0;
  for (uint32_t n = 1; n <= count; ++n) {
    if (offset < s.stringsLength) {
      const char* text = reinterpret_cast<const char*>(s.strings + offset);
      size_t size = strnlen(text, s.stringsLength - offset);
      offset += size + 1;
      while (size > 0 && text[size - 1] == ' ') --size;
      value.Item({text, size});
    } else {
      value.Item(kBadString);
    }
  }
  return count != 0;
}

// A number below 100 in two digits, as in a date or a time.
inline void AppendTwoDigits(uint32_t value, FieldValue& out) {
  if (value < 10) out.Append('0');
  out.AppendDecimal(value);
}

// A memory error address or resolution: the top bit alone says unknown.
inline bool ErrorHex(const FieldRow& row, const StructureView& s, FieldValue& value) {
  uint64_t raw = row.size == 8 ? ReadLe64(s.bytes + row.at) : ReadLe32(s.bytes + row.at);
  if (raw == uint64_t{1} << (8 * row.size - 1)) return false;
  value.BeginText();
  value.AppendHex(raw, 2 * row.size);
  return true;
}

// A mapped range: double words in kB, or, where the start reads all ones,
// the extended quad words at wideAt in bytes.
struct Range {
  uint64_t start;  // bytes
  uint64_t end;    // bytes, the last one
  bool extended;
};

inline Range RangeOf(const FieldRow& row, const StructureView& s) {
  uint32_t start = ReadLe32(s.bytes + 0x04);
  if (start == 0xFFFFFFFFu && s.Has(row.wideAt, 16)) {
    return {ReadLe64(s.bytes + row.wideAt), ReadLe64(s.bytes + row.wideAt + 8), true};
  }
  uint64_t end = ReadLe32(s.bytes + 0x08);
  return {uint64_t{start} << 10, (end << 10) | 0x3FF, false};
}

inline void AppendAddress(uint64_t address, bool extended, FieldValue& value) {
  value.BeginText();
  value.AppendHex(address, extended ? 16 : 11);
}

inline bool RangeStart(const FieldRow& row, const StructureView& s, FieldValue& value) {
  Range range = RangeOf(row, s);
  AppendAddress(range.start, range.extended, value);
  return true;
}

inline bool RangeEnd(const FieldRow& row, const StructureView& s, FieldValue& value) {
  Range range = RangeOf(row, s);
  AppendAddress(range.end, range.extended, value);
  return true;
}

inline bool RangeSize(const FieldRow& row, const StructureView& s, FieldValue& value) {
  Range range = RangeOf(row, s);
  if (range.end < range.start && range.end + 1 != range.start) return false;
  uint64_t bytes = range.end - range.start + 1;  // 0 for a 2^64 range
  value.SetNumber(range.extended ? ShownSize(bytes, kBytes, kKilobytes)
                                 : ShownSize(bytes >> 10, kKilobytes, kKilobytes));
  return true;
}

// A word that reads 0x8000 when the probe or device does not know it.
inline constexpr uint16_t kUnknownReading = 0x8000;

// A reading in 10^-Decimals of the row's unit, signed where the quantity
// can fall below zero (a minimum voltage or temperature).
template <int Decimals, bool Signed>
inline bool Reading(const FieldRow& row, const StructureView& s, FieldValue& value) {
  uint16_t raw = ReadLe16(s.bytes + row.at);
  if (raw == kUnknownReading) return false;
  value.SetDecimal(Signed ? int64_t{static_cast<int16_t>(raw)} : int64_t{raw}, Decimals);
  return true;
}

// Hundredths of a percent as "1.50%"; 0x8000 means unknown.
inline bool Percentage(const FieldRow& row, const StructureView& s, FieldValue& value) {
  uint16_t hundredths = ReadLe16(s.bytes + row.at);
  if (hundredths == 0x8000) return false;
  value.BeginText();
  value.AppendDecimal(hundredths / 100u);
  value.Append('.');
  value.Append(static_cast<char>('0' + hundredths % 100u / 10u));
  value.Append(static_cast<char>('0' + hundredths % 10u));
  value.Append('%');
  return true;
}

// The rows every probe shares: its description, where it sits and its state
// in one byte, then its readings (the tolerance read as the others are),
// the quantities in `unit` and the resolution in `resolutionUnit`.
struct ProbeLayout {
  uint16_t type;
  const NameTable* locations;
  const char* unit;
  const char* resolutionUnit;
  bool (*reading)(const FieldRow&, const StructureView&, FieldValue&);
  bool (*resolution)(const FieldRow&, const StructureView&, FieldValue&);
};

struct ProbeSelectors {
  const char* description;
  const char* location;
  const char* status;
  const char* maximum;
  const char* minimum;
  const char* resolution;
  const char* tolerance;
  const char* accuracy;
  const char* oem;
  const char* nominal;
};

inline constexpr size_t kProbeRowCount = 10;

struct ProbeRows {
  FieldRow rows[kProbeRowCount];
};

inline constexpr ProbeRows MakeProbeRows(const ProbeLayout& p, const ProbeSelectors& n) {
  return {{
      {.selector = n.description, .type = p.type, .decode = FieldDecode::String, .at = 0x04,
       .name = "Description", .identifies = true},
      {.selector = n.location, .type = p.type, .decode = FieldDecode::Name, .at = 0x05,
       .name = "Location", .names = p.locations, .mask = 0x1F},
      {.selector = n.status, .type = p.type, .decode = FieldDecode::Name, .at = 0x05,
       .name = "Status", .names = &names::kProbeStatus, .shift = 5, .mask = 0x07,
       .varies = true},
      {.selector = n.maximum, .type = p.type, .decode = FieldDecode::Special, .at = 0x06,
       .size = 2, .name = "Maximum Value", .unit = p.unit, .kind = FieldKind::Number,
       .special = p.reading},
      {.selector = n.minimum, .type = p.type, .decode = FieldDecode::Special, .at = 0x08,
       .size = 2, .name = "Minimum Value", .unit = p.unit, .kind = FieldKind::Number,
       .special = p.reading},
      {.selector = n.resolution, .type = p.type, .decode = FieldDecode::Special, .at = 0x0A,
       .size = 2, .name = "Resolution", .unit = p.resolutionUnit, .kind = FieldKind::Number,
       .special = p.resolution},
      {.selector = n.tolerance, .type = p.type, .decode = FieldDecode::Special, .at = 0x0C,
       .size = 2, .name = "Tolerance", .unit = p.unit, .kind = FieldKind::Number,
       .special = p.reading},
      // A percentage, in hundredths: a text as dmidecode writes it ("0.50%"),
      // like every percentage the table holds.
      {.selector = n.accuracy, .type = p.type, .decode = FieldDecode::Special, .at = 0x0E,
       .size = 2, .name = "Accuracy", .special = Percentage},
      {.selector = n.oem, .type = p.type, .decode = FieldDecode::Hex, .at = 0x10, .size = 4,
       .name = "OEM-specific Information"},
      // Some firmware writes the reading of the moment here.
      {.selector = n.nominal, .type = p.type, .decode = FieldDecode::Special, .at = 0x14,
       .size = 2, .name = "Nominal Value", .unit = p.unit, .kind = FieldKind::Number,
       .special = p.reading, .varies = true},
  }};
}

// dmidecode shows a byte outside printable ASCII as a dot.
inline void AppendPrintable(std::string_view text, FieldValue& value) {
  for (char c : text) value.Append(c >= 0x20 && c <= 0x7E ? c : '.');
}

// The formatted area, 16 bytes a line, as dmidecode dumps the structures it
// does not decode.
inline bool HeaderAndData(const FieldRow&, const StructureView& s, FieldValue& value) {
  value.BeginList();
  for (size_t at = 0; at < s.length; at += 16) {
    value.AppendHexBytes(s.bytes + at, s.length - at < 16 ? s.length - at : 16);
    value.EndItem();
  }
  return true;
}

// The string-set of a structure dmidecode does not decode, as it lists it.
inline bool StringSet(const FieldRow&, const StructureView& s, FieldValue& value) {
  if (!s.HasString(1)) return false;
  value.BeginList();
  for (uint8_t n = 1; n != 0 && s.HasString(n); ++n) {
    AppendPrintable(s.String(n), value);
    value.EndItem();
  }
  return true;
}

// The group of each structure type, one file each (typeNN_<name>.cpp),
// and of the types the standard does not define (type_other.cpp).
extern const StructureGroup kType00Group;
extern const StructureGroup kType01Group;
extern const StructureGroup kType02Group;
extern const StructureGroup kType03Group;
extern const StructureGroup kType04Group;
extern const StructureGroup kType05Group;
extern const StructureGroup kType06Group;
extern const StructureGroup kType07Group;
extern const StructureGroup kType08Group;
extern const StructureGroup kType09Group;
extern const StructureGroup kType10Group;
extern const StructureGroup kType11Group;
extern const StructureGroup kType12Group;
extern const StructureGroup kType13Group;
extern const StructureGroup kType14Group;
extern const StructureGroup kType15Group;
extern const StructureGroup kType16Group;
extern const StructureGroup kType17Group;
extern const StructureGroup kType18Group;
extern const StructureGroup kType19Group;
extern const StructureGroup kType20Group;
extern const StructureGroup kType21Group;
extern const StructureGroup kType22Group;
extern const StructureGroup kType23Group;
extern const StructureGroup kType24Group;
extern const StructureGroup kType25Group;
extern const StructureGroup kType26Group;
extern const StructureGroup kType27Group;
extern const StructureGroup kType28Group;
extern const StructureGroup kType29Group;
extern const StructureGroup kType30Group;
extern const StructureGroup kType31Group;
extern const StructureGroup kType32Group;
extern const StructureGroup kType33Group;
extern const StructureGroup kType34Group;
extern const StructureGroup kType35Group;
extern const StructureGroup kType36Group;
extern const StructureGroup kType37Group;
extern const StructureGroup kType38Group;
extern const StructureGroup kType39Group;
extern const StructureGroup kType40Group;
extern const StructureGroup kType41Group;
extern const StructureGroup kType42Group;
extern const StructureGroup kType43Group;
extern const StructureGroup kType44Group;
extern const StructureGroup kType45Group;
extern const StructureGroup kType46Group;
extern const StructureGroup kTypeOtherGroup;

extern const TableGroup kMachineGroup;  // machine_identity.cpp: which machine the table is of

}  // namespace tarnlix
