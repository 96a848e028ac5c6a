// SMBIOS 3.9, 7.32 Boot Integrity Services (BIS) Entry Point (Type 31)
#include "acquire/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

// The structure's bytes sum to zero when its checksum is right.
bool BisChecksum(const FieldRow&, const StructureView& s, FieldValue& value) {
  uint8_t sum = 0;
  for (size_t i = 0; i < s.length; ++i) sum = static_cast<uint8_t>(sum + s.bytes[i]);
  value.SetText(sum == 0 ? "OK" : "Invalid");
  return true;
}

// A real-mode far pointer, as segment:offset.
bool BisEntry16(const FieldRow& row, const StructureView& s, FieldValue& value) {
  uint32_t pointer = ReadLe32(s.bytes + row.at);
  value.BeginText();
  value.AppendHexDigits(pointer >> 16, 4);  // segment
  value.Append(':');
  value.AppendHexDigits(pointer, 4);  // offset
  return true;
}

constexpr FieldRow kBisRows[] = {
    {.selector = "/BISCHECKSUM", .type = 31, .decode = FieldDecode::Special, .at = 0x04,
     .name = "Checksum", .special = BisChecksum},
    {.selector = "/BISENTRY16", .type = 31, .decode = FieldDecode::Special, .at = 0x08,
     .size = 4, .name = "16-bit Entry Point Address", .special = BisEntry16},
    {.selector = "/BISENTRY32", .type = 31, .decode = FieldDecode::Hex, .at = 0x0C, .size = 4,
     .name = "32-bit Entry Point Address"},
};

}  // namespace

extern const StructureGroup kType31Group{
    .selector = "/BIS", .type = 31, .heading = "Boot Integrity Services Entry Point",
    .what = "boot integrity services entry point",
    .rows = kBisRows, .rowCount = std::size(kBisRows)};

}  // namespace tarnlix
