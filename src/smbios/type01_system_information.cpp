// SMBIOS 3.9, 7.2 System Information (Type 1)
#include "acquire/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

constexpr FieldRow kSystemRows[] = {
    {.selector = "/PCMAKER", .type = 1, .decode = FieldDecode::String, .at = 0x04, .place = 1,
     .name = "Manufacturer"},
    {.selector = "/PCNAME", .type = 1, .decode = FieldDecode::String, .at = 0x05, .place = 2,
     .name = "Product Name", .label = "Product name"},
    {.selector = "/PCVER", .type = 1, .decode = FieldDecode::String, .at = 0x06, .place = 3,
     .name = "Version"},
    {.selector = "/PCSERIAL", .type = 1, .decode = FieldDecode::String, .at = 0x07, .place = 4,
     .name = "Serial Number", .label = "Serial#"},
    {.selector = "/PCSKU", .type = 1, .decode = FieldDecode::String, .at = 0x19, .place = 5,
     .name = "SKU Number", .label = "SKU"},
    {.selector = "/PCFAMILY", .type = 1, .decode = FieldDecode::String, .at = 0x1A, .place = 6,
     .name = "Family"},
    {.selector = "/PCUUID", .type = 1, .decode = FieldDecode::Uuid, .at = 0x08, .size = 16,
     .name = "UUID"},
    {.selector = "/PCWAKEUP", .type = 1, .decode = FieldDecode::Name, .at = 0x18,
     .name = "Wake-up Type", .names = &names::kSystemWakeup, .varies = true},
};

constexpr PlaceLabel kSystemPlaces[] = {{7, "Extra"}};

}  // namespace

extern const StructureGroup kType01Group{
    .selector = "/PC", .type = 1, .heading = "System Information", .what = "system",
    .rows = kSystemRows, .rowCount = std::size(kSystemRows), .places = kSystemPlaces,
    .placeCount = std::size(kSystemPlaces)};

}  // namespace tarnlix
