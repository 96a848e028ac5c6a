// SMBIOS 3.9, 7.3 Baseboard (or Module) Information (Type 2)
#include "acquire/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

// The handles the board holds, listed only when the structure has them all.
bool BoardObjectHandles(const FieldRow&, const StructureView& s, FieldValue& value) {
  uint8_t count = s.bytes[0x0E];
  if (!s.Has(0x0F, 2 * size_t{count})) return false;
  value.BeginList();
  for (uint8_t i = 0; i < count; ++i) {
    value.AppendHex(ReadLe16(s.bytes + 0x0F + 2 * i), 4);
    value.EndItem();
  }
  return true;
}

constexpr FieldRow kBoardRows[] = {
    {.selector = "/BOARDMAN", .type = 2, .decode = FieldDecode::String, .at = 0x04, .place = 1,
     .name = "Manufacturer"},
    {.selector = "/BOARDPRODUCT", .type = 2, .decode = FieldDecode::String, .at = 0x05,
     .place = 2, .name = "Product Name", .label = "Product name"},
    {.selector = "/BOARDVER", .type = 2, .decode = FieldDecode::String, .at = 0x06, .place = 3,
     .name = "Version"},
    {.selector = "/BOARDSERIAL", .type = 2, .decode = FieldDecode::String, .at = 0x07,
     .place = 4, .name = "Serial Number", .label = "Serial#"},
    {.selector = "/BOARDASSET", .type = 2, .decode = FieldDecode::String, .at = 0x08,
     .place = 5, .name = "Asset Tag", .label = "Asset tag"},
    {.selector = "/BOARDLOCATION", .type = 2, .decode = FieldDecode::String, .at = 0x0A,
     .place = 6, .name = "Location In Chassis", .label = "Location"},
    {.selector = "/BOARDFEATURES", .type = 2, .decode = FieldDecode::Bits, .at = 0x09,
     .name = "Features", .kind = FieldKind::List, .names = &names::kBoardFeatures},
    {.selector = "/BOARDCHASSIS", .type = 2, .decode = FieldDecode::Handle, .at = 0x0B,
     .size = 2, .name = "Chassis Handle"},
    {.selector = "/BOARDTYPE", .type = 2, .decode = FieldDecode::Name, .at = 0x0D,
     .name = "Type", .names = &names::kBoardType},
    {.selector = "/BOARDOBJECTS", .type = 2, .decode = FieldDecode::Special, .at = 0x0E,
     .name = "Contained Object Handles", .kind = FieldKind::List,
     .special = BoardObjectHandles, .refersToHandle = true},
};

// One column wider than every other label, as the earlier reports had it.
constexpr PlaceLabel kBoardPlaces[] = {{7, "Extra          "}};

}  // namespace

extern const StructureGroup kType02Group{
    .selector = "/BOARD", .type = 2, .heading = "Base Board", .what = "baseboard",
    .rows = kBoardRows, .rowCount = std::size(kBoardRows), .places = kBoardPlaces,
    .placeCount = std::size(kBoardPlaces)};

}  // namespace tarnlix
