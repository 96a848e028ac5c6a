// SMBIOS 3.9, 7.15 Group Associations (Type 14)
#include "acquire/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

// Three bytes an item: the structure type of the member and its handle.
bool GroupItems(const FieldRow&, const StructureView& s, FieldValue& value) {
  size_t count = (s.length - 5) / 3;
  value.BeginList();
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* item = s.bytes + 0x05 + 3 * i;
    // Inactive and end-of-table structures are no group's members.
    const char* name = item[0] == 0x7E || item[0] == 0x7F ? nullptr
                                                         : names::kDmiTypeName.Find(item[0]);
    value.AppendHex(ReadLe16(item + 1), 4);
    value.Append(" (");
    value.Append(name != nullptr ? name : kUnnamedCode);
    value.Append(')');
    value.EndItem();
  }
  return true;
}

constexpr FieldRow kGroupRows[] = {
    {.selector = "/GROUPASSOCNAME", .type = 14, .decode = FieldDecode::String, .at = 0x04,
     .name = "Name", .identifies = true},
    {.selector = "/GROUPASSOCITEMS", .type = 14, .decode = FieldDecode::Special, .at = 0x04,
     .name = "Items", .kind = FieldKind::List, .special = GroupItems, .refersToHandle = true},
};

// The strings no field names, as the earlier reports showed them.
constexpr PlaceLabel kGroupPlaces[] = {{1, "Group name"}};

}  // namespace

extern const StructureGroup kType14Group{
    .selector = "/GROUPASSOC", .type = 14, .heading = "Group Associations",
    .what = "group association",
    .rows = kGroupRows, .rowCount = std::size(kGroupRows), .places = kGroupPlaces,
    .placeCount = std::size(kGroupPlaces)};

}  // namespace tarnlix
