// SMBIOS 3.9, 7.19 32-Bit Memory Error Information (Type 18)
#include "acquire/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

// The 32-bit and 64-bit memory errors differ in the width of their
// addresses; dmidecode reads neither from a structure shorter than the
// whole.
constexpr FieldRow kMemoryErrorRows[] = {
    {.selector = "/MEMERRORTYPE", .type = 18, .decode = FieldDecode::Name, .at = 0x04,
     .since = 0x17, .name = "Type", .names = &names::kMemoryErrorType, .varies = true},
    {.selector = "/MEMERRORGRANULARITY", .type = 18, .decode = FieldDecode::Name, .at = 0x05,
     .since = 0x17, .name = "Granularity", .names = &names::kMemoryErrorGranularity, .varies = true},
    {.selector = "/MEMERROROPERATION", .type = 18, .decode = FieldDecode::Name, .at = 0x06,
     .since = 0x17, .name = "Operation", .names = &names::kMemoryErrorOperation, .varies = true},
    {.selector = "/MEMERRORSYNDROME", .type = 18, .decode = FieldDecode::Hex, .at = 0x07,
     .size = 4, .since = 0x17, .name = "Vendor Syndrome", .none = kNoneIfZero, .varies = true},
    {.selector = "/MEMERRORARRAYADDR", .type = 18, .decode = FieldDecode::Special, .at = 0x0B,
     .size = 4, .since = 0x17, .name = "Memory Array Address", .special = ErrorHex, .varies = true},
    {.selector = "/MEMERRORDEVICEADDR", .type = 18, .decode = FieldDecode::Special, .at = 0x0F,
     .size = 4, .since = 0x17, .name = "Device Address", .special = ErrorHex, .varies = true},
    // A range in bytes, which dmidecode writes in hexadecimal: no number
    // reads as that.
    {.selector = "/MEMERRORRESOLUTION", .type = 18, .decode = FieldDecode::Special, .at = 0x13,
     .size = 4, .since = 0x17, .name = "Resolution", .special = ErrorHex, .varies = true},
};

}  // namespace

extern const StructureGroup kType18Group{
    .selector = "/MEMERROR", .type = 18, .heading = "Mem Err Info",
    .what = "32-bit memory error",
    .rows = kMemoryErrorRows, .rowCount = std::size(kMemoryErrorRows)};

}  // namespace tarnlix
