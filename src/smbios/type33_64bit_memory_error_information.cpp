// SMBIOS 3.9, 7.34 64-Bit Memory Error Information (Type 33)
#include "acquire/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

constexpr FieldRow kMemoryError64Rows[] = {
    {.selector = "/MEMERROR64TYPE", .type = 33, .decode = FieldDecode::Name, .at = 0x04,
     .since = 0x1F, .name = "Type", .names = &names::kMemoryErrorType, .varies = true},
    {.selector = "/MEMERROR64GRANULARITY", .type = 33, .decode = FieldDecode::Name, .at = 0x05,
     .since = 0x1F, .name = "Granularity", .names = &names::kMemoryErrorGranularity, .varies = true},
    {.selector = "/MEMERROR64OPERATION", .type = 33, .decode = FieldDecode::Name, .at = 0x06,
     .since = 0x1F, .name = "Operation", .names = &names::kMemoryErrorOperation, .varies = true},
    {.selector = "/MEMERROR64SYNDROME", .type = 33, .decode = FieldDecode::Hex, .at = 0x07,
     .size = 4, .since = 0x1F, .name = "Vendor Syndrome", .none = kNoneIfZero, .varies = true},
    {.selector = "/MEMERROR64ARRAYADDR", .type = 33, .decode = FieldDecode::Special, .at = 0x0B,
     .size = 8, .since = 0x1F, .name = "Memory Array Address", .special = ErrorHex, .varies = true},
    {.selector = "/MEMERROR64DEVICEADDR", .type = 33, .decode = FieldDecode::Special,
     .at = 0x13, .size = 8, .since = 0x1F, .name = "Device Address", .special = ErrorHex,
     .varies = true},
    {.selector = "/MEMERROR64RESOLUTION", .type = 33, .decode = FieldDecode::Special,
     .at = 0x1B, .size = 4, .since = 0x1F, .name = "Resolution", .special = ErrorHex,
     .varies = true},
};

}  // namespace

extern const StructureGroup kType33Group{
    .selector = "/MEMERROR64", .type = 33, .heading = "64-bit Memory Error Information",
    .what = "64-bit memory error",
    .rows = kMemoryError64Rows, .rowCount = std::size(kMemoryError64Rows)};

}  // namespace tarnlix
