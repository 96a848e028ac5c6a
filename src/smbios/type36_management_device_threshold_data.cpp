// SMBIOS 3.9, 7.37 Management Device Threshold Data (Type 36)
#include "acquire/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

// In the unit of the component the thresholds belong to.
constexpr FieldRow kManagementThresholdRows[] = {
    {.selector = "/MGMTTHRESHOLDLOWERNONCRIT", .type = 36, .decode = FieldDecode::Special,
     .at = 0x04, .size = 2, .name = "Lower Non-critical Threshold", .kind = FieldKind::Number,
     .special = Reading<0, true>},
    {.selector = "/MGMTTHRESHOLDUPPERNONCRIT", .type = 36, .decode = FieldDecode::Special,
     .at = 0x06, .size = 2, .name = "Upper Non-critical Threshold", .kind = FieldKind::Number,
     .special = Reading<0, true>},
    {.selector = "/MGMTTHRESHOLDLOWERCRIT", .type = 36, .decode = FieldDecode::Special,
     .at = 0x08, .size = 2, .name = "Lower Critical Threshold", .kind = FieldKind::Number,
     .special = Reading<0, true>},
    {.selector = "/MGMTTHRESHOLDUPPERCRIT", .type = 36, .decode = FieldDecode::Special,
     .at = 0x0A, .size = 2, .name = "Upper Critical Threshold", .kind = FieldKind::Number,
     .special = Reading<0, true>},
    {.selector = "/MGMTTHRESHOLDLOWERNONREC", .type = 36, .decode = FieldDecode::Special,
     .at = 0x0C, .size = 2, .name = "Lower Non-recoverable Threshold",
     .kind = FieldKind::Number, .special = Reading<0, true>},
    {.selector = "/MGMTTHRESHOLDUPPERNONREC", .type = 36, .decode = FieldDecode::Special,
     .at = 0x0E, .size = 2, .name = "Upper Non-recoverable Threshold",
     .kind = FieldKind::Number, .special = Reading<0, true>},
};

}  // namespace

extern const StructureGroup kType36Group{
    .selector = "/MGMTTHRESHOLD", .type = 36, .heading = "Management Device Threshold Data",
    .what = "management device threshold data",
    .rows = kManagementThresholdRows, .rowCount = std::size(kManagementThresholdRows)};

}  // namespace tarnlix
