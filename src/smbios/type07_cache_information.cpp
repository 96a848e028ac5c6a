// SMBIOS 3.9, 7.8 Cache Information (Type 7)
#include "acquire/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

uint16_t CacheConfiguration(const StructureView& s) { return ReadLe16(s.bytes + 0x05); }

bool CacheConfigurationText(const FieldRow&, const StructureView& s, FieldValue& value) {
  uint16_t configuration = CacheConfiguration(s);
  value.BeginText();
  value.Append(configuration & 0x80 ? "Enabled, " : "Disabled, ");
  value.Append(configuration & 0x08 ? "Socketed, " : "Not Socketed, ");
  AppendPart(value, "Level ", (configuration & 0x07) + 1u);
  return true;
}

bool CacheLevel(const FieldRow&, const StructureView& s, FieldValue& value) {
  value.SetNumber((CacheConfiguration(s) & 0x07) + 1u);
  return true;
}

// A cache size in kB: the double word (from SMBIOS 3.1) where the structure
// has it, else the word; the top bit of either counts in 64 kB.
bool CacheSize(const FieldRow& row, const StructureView& s, FieldValue& value) {
  uint64_t size;
  if (s.Has(row.wideAt, 4)) {
    uint32_t wide = ReadLe32(s.bytes + row.wideAt);
    size = wide & 0x80000000u ? uint64_t{wide & 0x7FFFFFFFu} << 6 : wide;
  } else {
    uint16_t word = ReadLe16(s.bytes + row.at);
    size = word & 0x8000u ? uint64_t{word & 0x7FFFu} << 6 : word;
  }
  value.SetNumber(ShownSize(size, kKilobytes, kKilobytes));
  return true;
}

constexpr FieldRow kCacheRows[] = {
    {.selector = "/CACHESOCKET", .type = 7, .decode = FieldDecode::String, .at = 0x04, .place = 1,
     .name = "Socket Designation", .label = "Socket", .identifies = true},
    {.selector = "/CACHECONFIG", .type = 7, .decode = FieldDecode::Special, .at = 0x05,
     .size = 2, .since = 0x0F, .name = "Configuration", .special = CacheConfigurationText},
    {.selector = "/CACHELEVEL", .type = 7, .decode = FieldDecode::Special, .at = 0x05,
     .size = 2, .since = 0x0F, .kind = FieldKind::Number, .special = CacheLevel,
     .label = "Level", .identifies = true},
    {.selector = "/CACHEMODE", .type = 7, .decode = FieldDecode::Name, .at = 0x05, .size = 2,
     .since = 0x0F, .name = "Operational Mode", .names = &names::kCacheMode, .shift = 8,
     .mask = 3},
    {.selector = "/CACHELOCATION", .type = 7, .decode = FieldDecode::Name, .at = 0x05,
     .size = 2, .since = 0x0F, .name = "Location", .names = &names::kCacheLocation,
     .shift = 5, .mask = 3},
    {.selector = "/CACHESIZE", .type = 7, .decode = FieldDecode::Special, .at = 0x09,
     .size = 2, .since = 0x0F, .name = "Installed Size", .unit = "kB",
     .kind = FieldKind::Number, .wideAt = 0x17, .special = CacheSize},
    {.selector = "/CACHEMAXSIZE", .type = 7, .decode = FieldDecode::Special, .at = 0x07,
     .size = 2, .since = 0x0F, .name = "Maximum Size", .unit = "kB",
     .kind = FieldKind::Number, .wideAt = 0x13, .special = CacheSize},
    {.selector = "/CACHESRAMTYPES", .type = 7, .decode = FieldDecode::Bits, .at = 0x0B,
     .size = 2, .since = 0x0F, .name = "Supported SRAM Types", .kind = FieldKind::List,
     .names = &names::kCacheTypes},
    {.selector = "/CACHESRAMTYPE", .type = 7, .decode = FieldDecode::BitsText, .at = 0x0D,
     .size = 2, .since = 0x0F, .name = "Installed SRAM Type", .names = &names::kCacheTypes},
    {.selector = "/CACHESPEED", .type = 7, .decode = FieldDecode::Number, .at = 0x0F,
     .name = "Speed", .unit = "ns", .kind = FieldKind::Number, .none = kNoneIfZero},
    {.selector = "/CACHEECC", .type = 7, .decode = FieldDecode::Name, .at = 0x10,
     .name = "Error Correction Type", .names = &names::kCacheEcType},
    {.selector = "/CACHETYPE", .type = 7, .decode = FieldDecode::Name, .at = 0x11,
     .name = "System Type", .names = &names::kCacheType},
    {.selector = "/CACHEWAYS", .type = 7, .decode = FieldDecode::Name, .at = 0x12,
     .name = "Associativity", .names = &names::kCacheAssociativity},
};

}  // namespace

extern const StructureGroup kType07Group{
    .selector = "/CACHE", .type = 7, .heading = "Cache Information",
    .what = "cache",
    .rows = kCacheRows, .rowCount = std::size(kCacheRows)};

}  // namespace tarnlix
