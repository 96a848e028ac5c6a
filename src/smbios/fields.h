// The fields a selector can print, one row each: the structure type it comes
// from, where in the structure it lives, how it is decoded, its report label
// and its selector text. The selector lookup, the reports, the instance
// expansion and the JSON document are all loops over this table, so a new
// field is one more row.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tarnlix {

enum class FieldDecode : uint8_t {
  String,           // string slot `at` of the record
  Uuid,             // the 16 bytes at `at`, as the UUID text
  Release,          // "major.minor" of the bytes at `at` and `at` + 1
  Number,           // the unsigned little-endian value of `size` bytes at `at`
  Name,             // a Number, named by the row's name table
  ProcessorFamily,  // a Name, with the manufacturer and version rules
  MemorySize,       // the memory device's size in MB
  MemoryTotal,      // the sum of MemorySize over every memory device
};

struct FieldRow {
  const char* selector;  // "/PCSERIAL"; the JSON key is the text after the slash
  uint8_t type;          // the structure type the field comes from
  FieldDecode decode;
  uint8_t at;            // the slot of a String, the offset of anything else
  uint8_t size;          // bytes of a Number
  uint8_t minLength;     // the structure length the field needs
  // A Number equal to escape (when not 0) is held in wideSize bytes at wideAt
  // instead, where the structure is long enough to have them. Without them
  // the escape value stands for itself, unless escapeNeedsWide.
  uint32_t escape;
  uint8_t wideAt;
  uint8_t wideSize;
  bool escapeNeedsWide;
  const char* (*names)(uint32_t code);  // Name rows
  // Report label of a value that is not a string slot, padded to 14 columns
  // like the slots' labels.
  const char* label;
  const char* unit;      // written after the value in the reports
  bool number;           // a number in the JSON document
  bool isoForm;          // "/ISO" rewrites it as a date
  bool alias;            // another spelling of the row before it
};

// Every row, in table order: grouped by structure type, string slots first.
const FieldRow* FieldRows();
size_t FieldRowCount();

// The row whose selector text equals text ignoring ASCII case, or null.
const FieldRow* FindField(const char* text);

// Values of a record that are not string slots (UUID, numbers, names), in
// the order of their rows; at most kMaxValues per structure type.
constexpr int kMaxValues = 4;

// The value rows of a structure type (count through *count), and a row's
// position among them (-1 for a string slot or the memory total).
const FieldRow* const* ValueRowsOf(uint8_t type, int* count);
int ValueIndex(const FieldRow& row);

// One structure as the decoders see it: its formatted area and string-set,
// and the version of the table it stands in.
struct StructureView {
  const uint8_t* bytes;
  size_t length;  // of the formatted area
  const uint8_t* strings;
  size_t stringsLength;  // without the final NUL
  int32_t versionMajor;
  int32_t versionMinor;
};

// Decodes a value row (not a String) of a structure: a constant name, text
// written into buffer, or null when the structure has no such value.
constexpr size_t kValueTextSize = 40;
const char* DecodeField(const FieldRow& row, const StructureView& structure,
                        char (&buffer)[kValueTextSize]);

// The size of a memory device in MB, 0 when it has none.
uint64_t MemorySizeMb(const StructureView& device);

// Structure types with a name of their own: the JSON arrays, and (where
// hasSwitch) the group switches.
struct StructureGroup {
  const char* selector;  // "/BIOS"; the JSON key is the text after the slash
  uint8_t type;
  bool hasSwitch;
};
const StructureGroup* StructureGroups();
size_t StructureGroupCount();

}  // namespace tarnlix
