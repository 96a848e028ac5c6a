// SMBIOS 3.9, 7.17 Physical Memory Array (Type 16)
#include "acquire/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

// In kB; 0x80000000 says the size is in the extended quad word, in bytes.
bool ArrayCapacity(const FieldRow&, const StructureView& s, FieldValue& value) {
  uint32_t kilobytes = ReadLe32(s.bytes + 0x07);
  uint64_t megabytes;
  if (kilobytes == 0x80000000u) {
    if (!s.Has(0x0F, 8)) return false;
    megabytes = ShownSize(ReadLe64(s.bytes + 0x0F), kBytes, kMegabytes);
  } else {
    megabytes = ShownSize(kilobytes, kKilobytes, kMegabytes);
  }
  value.SetNumber(megabytes);
  return true;
}

constexpr FieldRow kMemoryArrayRows[] = {
    {.selector = "/MEMARRAYLOCATION", .type = 16, .decode = FieldDecode::Name, .at = 0x04,
     .name = "Location", .names = &names::kMemoryArrayLocation},
    {.selector = "/MEMARRAYUSE", .type = 16, .decode = FieldDecode::Name, .at = 0x05,
     .name = "Use", .names = &names::kMemoryArrayUse},
    {.selector = "/MEMARRAYECC", .type = 16, .decode = FieldDecode::Name, .at = 0x06,
     .name = "Error Correction Type", .names = &names::kMemoryArrayEcType},
    {.selector = "/MEMARRAYMAX", .type = 16, .decode = FieldDecode::Special, .at = 0x07,
     .size = 4, .name = "Maximum Capacity", .unit = "MB", .kind = FieldKind::Number,
     .special = ArrayCapacity},
    {.selector = "/MEMARRAYERROR", .type = 16, .decode = FieldDecode::Handle, .at = 0x0B,
     .size = 2, .name = "Error Information Handle", .valueNames = &kErrorHandleNames},
    {.selector = "/MEMARRAYSLOTS", .type = 16, .decode = FieldDecode::Number, .at = 0x0D,
     .size = 2, .name = "Number Of Devices", .kind = FieldKind::Number},
};

}  // namespace

extern const StructureGroup kType16Group{
    .selector = "/MEMARRAY", .type = 16, .heading = "Physical Memory Array",
    .what = "physical memory array",
    .rows = kMemoryArrayRows, .rowCount = std::size(kMemoryArrayRows)};

}  // namespace tarnlix
