// The fields of the SMBIOS structures, one row each: the structure type it
// comes from, where in the structure it lives, how it is decoded, its name
// and its selector text. The selector lookup, the reports, the instance
// expansion, /FIELDS and the JSON document are all loops over these rows,
// so a new field is one more row.
#pragma once

#include <cstddef>
#include <cstdint>

#include "smbios/field_value.h"
#include "smbios/name_table.h"

namespace tarnlix {

enum class FieldDecode : uint8_t {
  Slot,             // string slot `at` of the record, by its type's slot rules
  String,           // the string whose number is the byte at `at`
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
  MemoryTotal,      // the sum of MemorySize over every memory device
  Special,          // `special` decodes it
};

// What a value is, for JSON and for tools that read /FIELDS.
enum class FieldKind : uint8_t { Text, Number, List };

// The group of the structures of every type the standard does not define,
// in place of a type number.
constexpr uint16_t kOtherTypes = 256;

// Values of a Number that mean "no value" (bit flags).
enum : uint8_t {
  kNoneIfZero = 1,
  kNoneIfAllOnes = 2,  // every bit of the field's size (after the mask)
};

// Where the first strings of a structure start, found in one pass, so that
// a structure's many string fields do not each walk its string-set.
struct StringIndex {
  static constexpr int kSize = 32;
  uint32_t starts[kSize];
  uint32_t lengths[kSize];
  int count = 0;  // strings indexed; the string-set may hold more
};

// One structure as the decoders see it: its formatted area and string-set,
// and the version of the standard it is decoded as.
struct StructureView {
  const uint8_t* bytes;
  size_t length;  // of the formatted area
  const uint8_t* strings;
  size_t stringsLength;  // without the final NUL
  int32_t versionMajor;
  int32_t versionMinor;
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

struct FieldRow {
  const char* selector;  // "/PCSERIAL"; the JSON key is the text after the slash
  uint16_t type;         // the structure type the field comes from, or kOtherTypes
  FieldDecode decode;
  uint8_t at = 0;        // the slot of a Slot, the offset of anything else
  uint8_t size = 1;      // bytes of a Number
  // The structure length the field needs; 0 means at + size.
  uint8_t since = 0;
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
  // The report's label when it is not the name: the labels of the earlier
  // reports, padded to 14 columns, and fields dmidecode does not name.
  const char* label = nullptr;
  bool isoForm = false;  // "/ISO" rewrites it as a date
  bool alias = false;    // another spelling of the row before it

  constexpr size_t Since() const { return since != 0 ? since : size_t{at} + size; }
};

// A row's member of a JSON object as the document writes it, worked out
// when the tool is built: a comma, a line end, the indentation of a
// structure's members, the key and its colon. Copied whole: a document has
// thousands of them.
struct JsonKey {
  static constexpr size_t kSize = 48;
  char text[kSize];
  uint8_t length;
  // The row's structure length (Since), and whether the row is a member of
  // a structure's object at all (not a second spelling, not the memory
  // total): worked out here too, as the document asks them of every row.
  uint16_t since;
  bool member;
};

template <size_t N>
struct JsonKeys {
  JsonKey keys[N];
};

template <size_t N>
constexpr JsonKeys<N> MakeJsonKeys(const FieldRow (&rows)[N]) {
  JsonKeys<N> out{};
  for (size_t i = 0; i < N; ++i) {
    JsonKey& key = out.keys[i];
    size_t at = 0;
    for (char c : {',', '\n', ' ', ' ', ' ', ' ', ' ', ' ', '"'}) key.text[at++] = c;
    for (const char* c = rows[i].selector + 1; *c != '\0'; ++c) {
      if (at + 3 >= JsonKey::kSize) throw "a selector too long for its JSON key";
      key.text[at++] = *c;
    }
    for (char c : {'"', ':', ' '}) key.text[at++] = c;
    key.length = static_cast<uint8_t>(at);
    // A string slot needs no length of the structure's.
    key.since = rows[i].decode == FieldDecode::Slot ? 0 : static_cast<uint16_t>(rows[i].Since());
    key.member = !rows[i].alias && rows[i].decode != FieldDecode::MemoryTotal;
  }
  return out;
}

// The rows of one structure type, in the order they are printed: the
// fields of the earlier reports first, then the others.
struct FieldSpan {
  const FieldRow* rows;
  size_t count;
  const JsonKey* keys;  // one per row
};

// A structure type with a name of its own: its JSON array, its group switch
// (where hasSwitch) and its fields.
struct StructureGroup {
  const char* selector;  // "/BIOS"; the JSON key is the text after the slash
  uint16_t type;         // or kOtherTypes
  bool hasSwitch;
  const FieldSpan* fields;
  const char* what;   // what one structure is, for the manual page
  const char* title;  // its reports' heading, where the earlier reports had none
};

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

// Calls f(row) for every field row, group by group, in table order.
template <typename F>
void ForEachField(F f) {
  for (size_t g = 0; g < StructureGroupCount(); ++g) {
    const StructureGroup& group = StructureGroups()[g];
    for (size_t i = 0; i < group.fields->count; ++i) f(group.fields->rows[i]);
  }
}

// The row whose selector text equals text ignoring ASCII case, or null.
const FieldRow* FindField(const char* text);
// The memory total's row.
const FieldRow& MemoryTotalRow();

// Decodes a row other than a Slot or the memory total. Leaves value absent
// when the structure has no such value.
void DecodeField(const FieldRow& row, const StructureView& structure, FieldValue& value);

// The size of a memory device in MB, 0 when it has none.
uint64_t MemorySizeMb(const StructureView& device);

// Units of sizes, by powers of 1024.
enum SizeUnit : int { kBytes = 0, kKilobytes = 1, kMegabytes = 2, kGigabytes = 3 };

// A size as dmidecode shows it, counted in `unit`: value is counted in
// `base`. Only the two largest of its 1024-based parts count, so 1 GB and
// 1 kB is 1 GB; a size shown in a smaller unit is rounded down.
uint64_t ShownSize(uint64_t value, SizeUnit base, SizeUnit unit);

// Writes value in decimal at out and returns the end.
char* AppendDecimal(char* out, uint64_t value);

}  // namespace tarnlix
