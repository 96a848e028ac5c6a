// SMBIOS 3.9, 7.21 Memory Device Mapped Address (Type 20)
#include "acquire/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

constexpr FieldRow kMemoryDeviceMapRows[] = {
    {.selector = "/MEMDEVMAPSTART", .type = 20, .decode = FieldDecode::Special, .at = 0x04,
     .size = 8, .name = "Starting Address", .wideAt = 0x13, .special = RangeStart},
    {.selector = "/MEMDEVMAPEND", .type = 20, .decode = FieldDecode::Special, .at = 0x04,
     .size = 8, .name = "Ending Address", .wideAt = 0x13, .special = RangeEnd},
    {.selector = "/MEMDEVMAPSIZE", .type = 20, .decode = FieldDecode::Special, .at = 0x04,
     .size = 8, .name = "Range Size", .unit = "kB", .kind = FieldKind::Number, .wideAt = 0x13,
     .special = RangeSize},
    {.selector = "/MEMDEVMAPDEVICE", .type = 20, .decode = FieldDecode::Handle, .at = 0x0C,
     .size = 2, .name = "Physical Device Handle"},
    {.selector = "/MEMDEVMAPARRAY", .type = 20, .decode = FieldDecode::Handle, .at = 0x0E,
     .size = 2, .name = "Memory Array Mapped Address Handle"},
    {.selector = "/MEMDEVMAPROW", .type = 20, .decode = FieldDecode::Number, .at = 0x10,
     .name = "Partition Row Position", .kind = FieldKind::Number,
     .none = kNoneIfZero | kNoneIfAllOnes},
    {.selector = "/MEMDEVMAPPOSITION", .type = 20, .decode = FieldDecode::Number, .at = 0x11,
     .name = "Interleave Position", .kind = FieldKind::Number,
     .none = kNoneIfZero | kNoneIfAllOnes},
    {.selector = "/MEMDEVMAPDEPTH", .type = 20, .decode = FieldDecode::Number, .at = 0x12,
     .name = "Interleaved Data Depth", .kind = FieldKind::Number,
     .none = kNoneIfZero | kNoneIfAllOnes},
};

}  // namespace

extern const StructureGroup kType20Group{
    .selector = "/MEMDEVMAP", .type = 20, .heading = "Mem Device Mapped Address",
    .what = "memory device mapped address",
    .rows = kMemoryDeviceMapRows, .rowCount = std::size(kMemoryDeviceMapRows)};

}  // namespace tarnlix
