// Labelled reports of the record store: the full dump and one type's group.
#include <algorithm>
#include <cstring>

#include "platform/stdout.h"
#include "smbios/reader.h"

namespace tarnlix {

namespace {

constexpr size_t kLabelWidth = 14;

// Tab, label, " :", tab, value. A label is padded to the width the earlier
// reports gave their labels; a missing one reads "(null)", as they printed
// it.
void AppendLine(TextBuffer& block, const char* label, std::string_view value) {
  block.Append('\t');
  if (label == nullptr) {
    block.Append("(null)");
  } else {
    std::string_view text(label);
    block.Append(text);
    for (size_t width = text.size(); !text.empty() && width < kLabelWidth; ++width) {
      block.Append(' ');
    }
  }
  block.Append(" :\t");
  block.Append(value);
}

}  // namespace

// The report places first, as the earlier reports showed them, then every
// other field of the type, numbers with their unit. A list's further items
// stand on lines of their own, under the first.
bool SmbiosReader::AppendRecordBody(const SmbiosRecord& record, TextBuffer& block,
                                    FieldValue& value) const {
  size_t start = block.size();
  StructureView view = View(record);
  std::string shown[kPlaceCount];
  for (int place = 1; place <= kPlaceCount; ++place) {
    PlaceText(record, view, place, value);
    if (!value.present()) continue;
    AppendLine(block, PlaceLabelOf(record.type, place), value.text());
    block.Append('\n');
    shown[place - 1] = value.text();
  }
  const StructureGroup* group = GroupOf(record.structureType);
  for (size_t i = 0; group != nullptr && i < group->rowCount; ++i) {
    const FieldRow& row = group->rows[i];
    if (row.place != 0 || !row.OfStructure()) continue;
    DecodeField(row, view, false, value);
    if (!value.present()) continue;
    // A string a place has shown already is not shown twice, nor a list of
    // such strings (a structure's OEM strings or options).
    auto wasShown = [&shown](std::string_view text) {
      return std::find(std::begin(shown), std::end(shown), text) != std::end(shown);
    };
    if (row.ReadsString() && wasShown(value.text())) continue;
    if (value.kind() == FieldValue::Kind::List && record.stored && !value.text().empty()) {
      bool allShown = true;
      value.ForEachItem([&](std::string_view item) { allShown = allShown && wasShown(item); });
      if (allShown) continue;
    }
    const char* label = row.ReportLabel();
    if (value.kind() == FieldValue::Kind::List) {
      bool first = true;
      value.ForEachItem([&](std::string_view item) {
        if (first) {
          AppendLine(block, label, item);
        } else {
          block.Append("\t\t\t\t");
          block.Append(item);
        }
        block.Append('\n');
        first = false;
      });
      continue;
    }
    AppendLine(block, label, value.text());
    if (row.unit[0] != '\0') {
      block.Append(' ');
      block.Append(row.unit);
    }
    block.Append('\n');
  }
  if (block.size() == start) return false;
  block.Append('\n');
  return true;
}

namespace {

// Above the values of a report of a table the system built from what it
// shows any user.
constexpr char kPartialLine[] = "- Partial inventory: the whole SMBIOS table needs root -\n\n";

}  // namespace

void SmbiosReader::PrintAll() const {
  if (loaded == 0 || records.empty()) {
    WriteOut("Error: Failed to retrieve BIOS information from system\n");
    return;
  }
  if (versionMajor > 0) {
    PrintOut("- SMBBios data v%i.%i -\n\n", versionMajor, versionMinor);
  }
  if (Partial()) WriteOut(kPartialLine);
  // A record is written as one block: a dump of a large table has tens of
  // thousands of lines, and every write is flushed.
  TextBuffer block;
  FieldValue value;
  for (const SmbiosRecord& record : records) {
    block.Clear();
    block.Append(TypeHeading(record.structureType));
    block.Append(":\n\n");
    if (AppendRecordBody(record, block, value)) WriteOut(block.view());
  }
}

const char* GroupHeading(int groupType) {
  if (groupType < 0 || groupType > kOtherTypes) return "";
  const StructureGroup* group = GroupOfType(static_cast<uint16_t>(groupType));
  return group != nullptr ? group->heading : TypeHeading(static_cast<uint8_t>(groupType));
}

void SmbiosReader::PrintGroup(int groupType) const {
  const StructureGroup* group = GroupOfType(static_cast<uint16_t>(groupType));
  if (groupType < 0 || groupType > kOtherTypes) return;
  if (Partial()) WriteOut(kPartialLine);
  PrintOut("%s\n\n", GroupHeading(groupType));
  int printed = 0;
  TextBuffer block;
  FieldValue value;
  for (const SmbiosRecord& record : records) {
    bool inGroup = groupType == kOtherTypes ? group != nullptr && GroupOf(record.structureType) == group
                                            : record.structureType == groupType;
    if (!inGroup) continue;
    block.Clear();
    if (!AppendRecordBody(record, block, value)) continue;
    ++printed;
    WriteOut(block.view());
  }
  if (printed == 0) WriteOut("\tNo information\n");
}

void SmbiosReader::PrintTableGroup(const TableGroup& group) const {
  if (Partial()) WriteOut(kPartialLine);
  TextBuffer block;
  block.Append(group.heading);
  block.Append("\n\n");
  size_t start = block.size();
  FieldValue value;
  for (size_t i = 0; i < group.rowCount; ++i) {
    Decode(group.rows[i], 0, false, value);
    if (!value.present()) continue;
    AppendLine(block, group.rows[i].ReportLabel(), value.Joined());
    block.Append('\n');
  }
  block.Append(block.size() == start ? "\tNo information\n" : "\n");
  WriteOut(block.view());
}

}  // namespace tarnlix
