#include "smbios/fields.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

#include "platform/ascii.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

const StructureGroup* const kTypeGroups[] = {
    &kType00Group,
    &kType01Group,
    &kType02Group,
    &kType03Group,
    &kType04Group,
    &kType05Group,
    &kType06Group,
    &kType07Group,
    &kType08Group,
    &kType09Group,
    &kType10Group,
    &kType11Group,
    &kType12Group,
    &kType13Group,
    &kType14Group,
    &kType15Group,
    &kType16Group,
    &kType17Group,
    &kType18Group,
    &kType19Group,
    &kType20Group,
    &kType21Group,
    &kType22Group,
    &kType23Group,
    &kType24Group,
    &kType25Group,
    &kType26Group,
    &kType27Group,
    &kType28Group,
    &kType29Group,
    &kType30Group,
    &kType31Group,
    &kType32Group,
    &kType33Group,
    &kType34Group,
    &kType35Group,
    &kType36Group,
    &kType37Group,
    &kType38Group,
    &kType39Group,
    &kType40Group,
    &kType41Group,
    &kType42Group,
    &kType43Group,
    &kType44Group,
    &kType45Group,
    &kType46Group,
    &kTypeOtherGroup,
};

// What the groups tell of each type, worked out once: the groups in type
// order (the order of the JSON document, the structures of every type the
// standard does not define last) and the group of each type.
struct GroupIndex {
  static constexpr uint8_t kNone = 0xFF;
  std::vector<StructureGroup> groups;
  uint8_t byType[257];  // the index of each type's group in groups

  GroupIndex() {
    // Placed by type, the groups of every file come out in type order.
    const StructureGroup* found[257] = {};
    size_t count = 0;
    for (const StructureGroup* group : kTypeGroups) {
      found[group->type] = group;
      ++count;
    }
    groups.reserve(count);
    for (const StructureGroup* group : found) {
      if (group != nullptr) groups.push_back(*group);
    }
    std::fill(std::begin(byType), std::end(byType), static_cast<uint8_t>(groups.size() - 1));
    for (size_t g = 0; g < groups.size(); ++g) byType[groups[g].type] = static_cast<uint8_t>(g);
    byType[126] = byType[127] = kNone;  // inactive, and the end of the table
  }
  const StructureGroup* Of(uint16_t type) const {
    return byType[type] == kNone ? nullptr : &groups[byType[type]];
  }
};

const GroupIndex& Index() {
  static const GroupIndex index;
  return index;
}

// The row that fills each report place; places exist below type 32 only.
struct PlaceIndex {
  const FieldRow* places[32][kPlaceCount] = {};

  PlaceIndex() {
    for (size_t g = 0; g < StructureGroupCount(); ++g) {
      const StructureGroup& group = StructureGroups()[g];
      if (group.type >= 32) continue;
      for (size_t i = 0; i < group.rowCount; ++i) {
        const FieldRow& row = group.rows[i];
        if (row.place != 0 && !row.alias) places[group.type][row.place - 1] = &row;
      }
    }
  }
};

// The values of the whole table that stand alone, in table order.
struct TableRowIndex {
  std::vector<const FieldRow*> rows;

  TableRowIndex() {
    ForEachField([this](const FieldRow& row) {
      if (!row.OfStructure() && !row.alias && row.type != kWholeTable) rows.push_back(&row);
    });
  }
};

}  // namespace

const StructureGroup* StructureGroups() { return Index().groups.data(); }
size_t StructureGroupCount() { return Index().groups.size(); }

// One group of whole-table values so far.
const TableGroup* TableGroups() { return &kMachineGroup; }
size_t TableGroupCount() { return 1; }

const TableGroup* FindTableGroup(const char* selector) {
  for (size_t g = 0; g < TableGroupCount(); ++g) {
    if (EqualsIgnoringCase(selector, TableGroups()[g].selector)) return &TableGroups()[g];
  }
  return nullptr;
}

const StructureGroup* GroupOf(uint8_t type) { return Index().Of(type); }

const StructureGroup* GroupOfType(uint16_t groupType) {
  if (groupType > kOtherTypes) return nullptr;
  const StructureGroup* group = Index().Of(groupType);
  return group != nullptr && group->type == groupType ? group : nullptr;
}

const char* TypeHeading(uint8_t type) {
  const StructureGroup* group = GroupOf(type);
  if (group != nullptr && group->type == type) return group->heading;
  return type >= 128 ? "OEM-specific Type" : "Undefined";
}

const FieldRow* PlaceRow(uint8_t type, int place) {
  if (place < 1 || place > kPlaceCount || type >= 32) return nullptr;
  static const PlaceIndex index;
  return index.places[type][place - 1];
}

const char* PlaceLabelOf(uint8_t type, int place) {
  if (type > kLastLabelledType) return nullptr;
  if (const FieldRow* row = PlaceRow(type, place)) return row->ReportLabel();
  const StructureGroup* group = GroupOfType(type);
  for (size_t i = 0; group != nullptr && i < group->placeCount; ++i) {
    if (group->places[i].place == place) return group->places[i].label;
  }
  return "";
}

const std::vector<const FieldRow*>& TableRows() {
  static const TableRowIndex index;
  return index.rows;
}

// Stops at the first match. Selectors are written in upper case: the text
// is put in upper case once, and a row is passed over on the two letters
// after its slash. The rules of the MACHINE group and /PROM look up dozens
// of fields at every run.
const FieldRow* FindField(const char* text) {
  char key[kMaxSelectorLength + 1];
  size_t length = 0;
  for (; text[length] != '\0'; ++length) {
    if (length == kMaxSelectorLength) return nullptr;  // longer than any selector
    key[length] = UpperAscii(text[length]);
  }
  key[length] = '\0';
  if (length < 2 || key[0] != '/') return nullptr;
  auto matches = [&key](const FieldRow& row) {
    const char* selector = row.selector;
    return selector[1] == key[1] && selector[2] == key[2] && std::strcmp(selector + 2, key + 2) == 0;
  };
  for (size_t g = 0; g < StructureGroupCount(); ++g) {
    const StructureGroup& group = StructureGroups()[g];
    for (size_t i = 0; i < group.rowCount; ++i) {
      if (matches(group.rows[i])) return &group.rows[i];
    }
  }
  for (size_t g = 0; g < TableGroupCount(); ++g) {
    const TableGroup& group = TableGroups()[g];
    for (size_t i = 0; i < group.rowCount; ++i) {
      if (matches(group.rows[i])) return &group.rows[i];
    }
  }
  return nullptr;
}

}  // namespace tarnlix
