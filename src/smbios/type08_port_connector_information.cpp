// SMBIOS 3.9, 7.9 Port Connector Information (Type 8)
#include "acquire/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

constexpr FieldRow kPortRows[] = {
    {.selector = "/PORTINTERNALREF", .type = 8, .decode = FieldDecode::String, .at = 0x04,
     .place = 1, .name = "Internal Reference Designator", .label = "Internal ref.",
     .identifies = true},
    {.selector = "/PORTEXTERNALREF", .type = 8, .decode = FieldDecode::String, .at = 0x06,
     .place = 2, .name = "External Reference Designator", .label = "External ref.",
     .identifies = true},
    {.selector = "/PORTEXTRA", .type = 8, .decode = FieldDecode::StringNumber, .at = 3, .since = 5,
     .place = 3, .label = "Extra"},
    // Connector and port type 0: there is none.
    {.selector = "/PORTINTERNALTYPE", .type = 8, .decode = FieldDecode::Name, .at = 0x05,
     .since = 0x09, .name = "Internal Connector Type", .names = &names::kPortConnectorType,
     .none = kNoneIfZero},
    {.selector = "/PORTEXTERNALTYPE", .type = 8, .decode = FieldDecode::Name, .at = 0x07,
     .since = 0x09, .name = "External Connector Type", .names = &names::kPortConnectorType,
     .none = kNoneIfZero},
    {.selector = "/PORTTYPE", .type = 8, .decode = FieldDecode::Name, .at = 0x08, .since = 0x09,
     .name = "Port Type", .names = &names::kPortType, .none = kNoneIfZero},
};

}  // namespace

extern const StructureGroup kType08Group{
    .selector = "/PORT", .type = 8, .heading = "Port Connector",
    .what = "port connector",
    .rows = kPortRows, .rowCount = std::size(kPortRows)};

}  // namespace tarnlix
