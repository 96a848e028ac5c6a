// The fields of the SMBIOS structures, one row each: the structure type it
// comes from, where in the structure it lives, how it is decoded, its name
// and its selector text. The selector lookup, the reports, the instance
// expansion, /FIELDS and the JSON document are all loops over these rows,
// so a new field is one more row. The model gives values; how a value is
// printed is each output's own business.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "smbios/field_value.h"
#include "smbios/name_table.h"

namespace tarnlix {

enum class FieldDecode : uint8_t {
  String,           // the string whose number is the byte at `at`
  StringNumber,     // the string numbered `at` (1 for the first)
  Uuid,             // the 16 bytes at `at`, as the UUID text
  Release,          // "major.minor" of the bytes at `at` and `at` + 1
  Number,           // the unsigned little-endian value of `size` bytes at `at`
  Decimal,          // a Number in thousandths, written as a decimal (mV as V)
  Name,             // a Number, named by `names`
  Bits,             // the names of a Number's set bits, as a list
  BitsText,         // the same names in one text, separated by spaces
  Handle,           // a Number written as a handle, "0x%04X"
  Hex,              // a Number written as "0x" and 2 * size hex digits
  ProcessorFamily,  // a Name, with the manufacturer and version rules
  MemorySize,       // the memory device's size in MB
  Table,            // a value of the whole table (TableValue `at`, or what `special`
                    // makes of the table's values), not of one structure
  Special,          // `special` decodes it
};

// What a value is, for JSON and for tools that read /FIELDS.
enum class FieldKind : uint8_t { Text, Number, List };

// The group of the structures of every type the standard does not define,
// in place of a type number.
constexpr uint16_t kOtherTypes = 256;
// The type of a value of the whole table that no one structure type holds
// (which machine the table is of): it has no type number.
constexpr uint16_t kWholeTable = 257;

// Values of a Number that mean "no value" (bit flags).
enum : uint8_t {
  kNoneIfZero = 1,
  kNoneIfAllOnes = 2,  // every bit of the field's size (after the mask)
};

// The values of the whole table, worked out once as the table is walked.
enum TableValue : uint8_t {
  kMemoryTotalMb,  // the sum of the memory devices' sizes
  kTableValueCount,
};
struct TableValues;

// The report places: the earlier reports showed seven strings of a
// structure first, each on a line of its own, under a label of their own.
// A place no row fills shows the string of its number.
constexpr int kPlaceCount = 7;
// The earlier reports labelled the places of the types up to this one only;
// the places of later types have no label at all.
constexpr uint8_t kLastLabelledType = 26;
// Strings past this number fill no place.
constexpr uint8_t kMaxPlacedString = 20;

// Where the first strings of a structure start, found in one pass, so that
// a structure's many string fields do not each walk its string-set.
struct StringIndex {
  static constexpr int kSize = 32;
  uint32_t starts[kSize];
  uint32_t lengths[kSize];
  int count = 0;  // strings indexed; the string-set may hold more
};

// One structure as the decoders see it: its formatted area and string-set,
// the version of the standard it is decoded as, and the values of the
// table it stands in.
struct StructureView {
  const uint8_t* bytes = nullptr;
  size_t length = 0;  // of the formatted area
  const uint8_t* strings = nullptr;
  size_t stringsLength = 0;  // without the final NUL
  int32_t versionMajor = 3;
  int32_t versionMinor = 0;
  const TableValues* table = nullptr;
  // Its strings' places when they were found already (of these strings:
  // a view made with other strings must leave it out).
  const StringIndex* index = nullptr;

  bool Has(size_t offset, size_t size) const { return length >= offset + size; }
  // Whether it is decoded as a version older than major.minor.
  bool Before(int32_t major, int32_t minor) const {
    return versionMajor < major || (versionMajor == major && versionMinor < minor);
  }
  // Finds where the strings start, into index, and makes the view use it.
  void IndexStrings(StringIndex& index);
  // String number `number` of the string-set, trimmed of trailing spaces
  // unless trim is false; empty when there is no such string or it holds
  // only spaces.
  std::string_view String(uint8_t number, bool trim = true) const;
  // Whether the string-set has a string of that number.
  bool HasString(uint8_t number) const;
};

// The first structures of the types that tell which machine a table is of.
constexpr uint8_t kIdentityTypes = 4;  // BIOS, system, baseboard, chassis

struct TableValues {
  uint64_t values[kTableValueCount] = {};
  // The first structure of each identity type; bytes null where there is
  // none. Their strings are the table's, as every view's are.
  StructureView identity[kIdentityTypes];
};

struct FieldRow {
  const char* selector;  // "/PCSERIAL"
  uint16_t type;         // the structure type the field comes from, kOtherTypes or kWholeTable
  FieldDecode decode;
  uint8_t at = 0;        // the offset; a StringNumber's number; a Table's value
  uint8_t size = 1;      // bytes of a Number
  // The structure length the field needs; 0 means at + size.
  uint8_t since = 0;
  // The report place (1 to kPlaceCount) the string fills, or 0. A placed
  // string past kMaxPlacedString is none.
  uint8_t place = 0;
  // dmidecode's name of the field, as it labels its line; empty when it
  // prints none.
  const char* name = "";
  const char* unit = "";  // of a number
  FieldKind kind = FieldKind::Text;
  const NameTable* names = nullptr;  // Name, Bits and BitsText rows
  // A Number's bits: (value >> shift) & mask, when mask is not 0.
  uint8_t shift = 0;
  uint32_t mask = 0;
  uint8_t none = 0;  // kNoneIf... flags
  // A Number equal to escape (when not 0) is held in wideSize bytes at
  // wideAt instead, where the structure is long enough to have them.
  // Without them the escape value stands for itself, unless
  // escapeNeedsWide.
  uint32_t escape = 0;
  uint8_t wideAt = 0;
  uint8_t wideSize = 0;
  bool escapeNeedsWide = false;
  // Values with a text of their own instead of their number (a Handle's
  // "No Error"); an empty text means no value.
  const NameTable* valueNames = nullptr;
  // Special rows; returns false when the structure has no such value.
  bool (*special)(const FieldRow& row, const StructureView& structure,
                  FieldValue& value) = nullptr;
  // The report's label when it is not the name: the label of the earlier
  // reports for a placed string, or a field dmidecode does not name.
  const char* label = nullptr;
  // What the manual page and the schema call the field where dmidecode's
  // name for it would tell a reader little.
  const char* about = nullptr;
  bool isoForm = false;  // "/ISO" rewrites it as a date
  bool alias = false;    // another spelling of the row before it
  // What /DIFF makes of it: the fields that identify a structure tell it
  // from the others of its type; a field that varies changes by itself from
  // boot to boot, and one that refers to other structures by their handles
  // changes when the table is renumbered: neither is compared.
  bool identifies = false;
  bool varies = false;
  bool refersToHandle = false;  // besides Handle rows

  constexpr size_t Since() const { return since != 0 ? since : size_t{at} + size; }
  // A value of one structure, not of the whole table.
  constexpr bool OfStructure() const { return decode != FieldDecode::Table; }
  // Whether /DIFF compares it between two tables.
  constexpr bool Compared() const {
    return OfStructure() && !alias && !varies && !RefersToHandle();
  }
  constexpr bool RefersToHandle() const {
    return refersToHandle || decode == FieldDecode::Handle;
  }
  // A string of the structure's string-set, as it stands there.
  constexpr bool ReadsString() const {
    return decode == FieldDecode::String || decode == FieldDecode::StringNumber;
  }
  // What the report labels it with.
  constexpr const char* ReportLabel() const { return label != nullptr ? label : name; }
};

// A report place that no row fills, with the earlier reports' label.
struct PlaceLabel {
  uint8_t place;  // 1 to kPlaceCount
  const char* label;
};

// A structure type with a name of its own: its group switch and JSON array,
// its report heading, and its fields, in the order they are printed: the
// fields of the earlier reports first, then the others.
struct StructureGroup {
  const char* selector;  // "/BIOS"
  uint16_t type;         // or kOtherTypes
  const char* heading;   // of its reports
  const char* what;      // what one structure is, for the manual page
  const FieldRow* rows;
  size_t rowCount;
  const PlaceLabel* places = nullptr;  // the labelled places no row fills
  size_t placeCount = 0;
};

// A group of values of the whole table that no structure type holds: one
// object of the JSON document, its rows' selectors named after it.
struct TableGroup {
  const char* selector;  // "/MACHINE"
  const char* what;      // what its values tell, for the manual page
  const char* heading;   // of its report
  const FieldRow* rows;
  size_t rowCount;
};
const TableGroup* TableGroups();
size_t TableGroupCount();
// The table group a switch names, or null.
const TableGroup* FindTableGroup(const char* selector);

// Every group, in structure type order.
const StructureGroup* StructureGroups();
size_t StructureGroupCount();
// The group of a structure type (the group of kOtherTypes for a type the
// standard does not define), or null for types 126 and 127, which hold no
// fields.
const StructureGroup* GroupOf(uint8_t type);
// The group whose type (or kOtherTypes) is groupType, or null.
const StructureGroup* GroupOfType(uint16_t groupType);

// The heading of a structure type in the reports.
const char* TypeHeading(uint8_t type);

// The row that fills report place `place` (from 1) of a structure type, or
// null when the place shows the string of its number.
const FieldRow* PlaceRow(uint8_t type, int place);
// The report's label of a place: empty where the earlier reports had none,
// null past the types they labelled.
const char* PlaceLabelOf(uint8_t type, int place);

// Calls f(row) for every field row, group by group, in table order, the
// table groups' last.
template <typename F>
void ForEachField(F f) {
  for (size_t g = 0; g < StructureGroupCount(); ++g) {
    const StructureGroup& group = StructureGroups()[g];
    for (size_t i = 0; i < group.rowCount; ++i) f(group.rows[i]);
  }
  for (size_t g = 0; g < TableGroupCount(); ++g) {
    const TableGroup& group = TableGroups()[g];
    for (size_t i = 0; i < group.rowCount; ++i) f(group.rows[i]);
  }
}

// The rows of the values of the whole table that stand alone, in no table
// group.
const std::vector<const FieldRow*>& TableRows();

// Selectors are a slash, then upper-case letters and digits, no longer
// than this.
constexpr size_t kMaxSelectorLength = 32;

// The row whose selector text equals text ignoring ASCII case, or null.
const FieldRow* FindField(const char* text);

// The value of a field of one structure (or, for a Table row, of the
// structure's table), in the date form "/ISO" asks for when iso is set.
// Leaves value absent when there is no such value. Every output asks for a
// value through here.
void DecodeField(const FieldRow& row, const StructureView& structure, bool iso,
                 FieldValue& value);

// What one structure adds to the values of its table.
void AddToTableValues(uint8_t type, const StructureView& structure, TableValues& table);

// The size of a memory device in MB, 0 when it has none.
uint64_t MemorySizeMb(const StructureView& device);

// The 16 bytes of a UUID in the order the structure stores them: since
// SMBIOS 2.6 the first three fields are little-endian. Byte i of the text's
// order is byte UuidByteOrder(littleEndian)[i] of the structure's.
const int* UuidByteOrder(bool littleEndian);

// Units of sizes, by powers of 1024.
enum SizeUnit : int { kBytes = 0, kKilobytes = 1, kMegabytes = 2, kGigabytes = 3 };

// A size as dmidecode shows it, counted in `unit`: value is counted in
// `base`. Only the two largest of its 1024-based parts count, so 1 GB and
// 1 kB is 1 GB; a size shown in a smaller unit is rounded down.
uint64_t ShownSize(uint64_t value, SizeUnit base, SizeUnit unit);

// Writes value in decimal at out and returns the end.
char* AppendDecimal(char* out, uint64_t value);

}  // namespace tarnlix
