// SMBIOS 3.9, 7.12 OEM Strings (Type 11)
#include "acquire/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

constexpr FieldRow kOemRows[] = {
    {.selector = "/OEM1", .type = 11, .decode = FieldDecode::StringNumber, .at = 1, .since = 5,
     .place = 1, .label = "OEM String 1"},
    {.selector = "/OEM2", .type = 11, .decode = FieldDecode::StringNumber, .at = 2, .since = 5,
     .place = 2, .label = "OEM String 2"},
    {.selector = "/OEM3", .type = 11, .decode = FieldDecode::StringNumber, .at = 3, .since = 5,
     .place = 3, .label = "OEM String 3"},
    {.selector = "/OEM4", .type = 11, .decode = FieldDecode::StringNumber, .at = 4, .since = 5,
     .place = 4, .label = "OEM String 4"},
    {.selector = "/OEM5", .type = 11, .decode = FieldDecode::StringNumber, .at = 5, .since = 5,
     .place = 5, .label = "OEM String 5"},
    {.selector = "/OEM6", .type = 11, .decode = FieldDecode::StringNumber, .at = 6, .since = 5,
     .place = 6, .label = "OEM String 6"},
    {.selector = "/OEM7", .type = 11, .decode = FieldDecode::StringNumber, .at = 7, .since = 5,
     .place = 7, .label = "OEM String 7"},
    {.selector = "/OEMSTRINGS", .type = 11, .decode = FieldDecode::Special, .at = 0x04,
     .name = "String N", .kind = FieldKind::List, .special = CountedStrings},
};

}  // namespace

extern const StructureGroup kType11Group{
    .selector = "/OEM", .type = 11, .heading = "OEM Strings",
    .what = "OEM strings",
    .rows = kOemRows, .rowCount = std::size(kOemRows)};

}  // namespace tarnlix
