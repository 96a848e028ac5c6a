#include "cli/selectors.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "net/network_info.h"
#include "platform/ascii.h"
#include "platform/stdout.h"

namespace tarnlix {

namespace {

// The groups and fields come from the field table, in its order, each
// group switch before the fields of its type.
std::vector<SelectorRow> BuildRows() {
  std::vector<SelectorRow> rows;
  rows.push_back({"/NAME", SelectorKind::HostName, nullptr, 0});
  for (size_t g = 0; g < StructureGroupCount(); ++g) {
    const StructureGroup& group = StructureGroups()[g];
    rows.push_back({group.selector, SelectorKind::Group, nullptr, group.type});
    for (size_t i = 0; i < group.rowCount; ++i) {
      const FieldRow& field = group.rows[i];
      rows.push_back({field.selector, SelectorKind::Field, &field, 0});
    }
  }
  for (size_t g = 0; g < TableGroupCount(); ++g) {
    const TableGroup& group = TableGroups()[g];
    rows.push_back({group.selector, SelectorKind::Group, nullptr, kWholeTable, &group});
    for (size_t i = 0; i < group.rowCount; ++i) {
      rows.push_back({group.rows[i].selector, SelectorKind::Field, &group.rows[i], 0});
    }
  }
  return rows;
}

// N of ":N": decimal digits from 1 up. A number past any table's structure
// count is kept as the largest index, which no structure has.
bool ParseIndex(const char* text, size_t* index) {
  if (*text == '\0') return false;
  size_t value = 0;
  for (; *text != '\0'; ++text) {
    if (*text < '0' || *text > '9') return false;
    size_t digit = static_cast<size_t>(*text - '0');
    value = value > (SIZE_MAX - digit) / 10 ? SIZE_MAX : value * 10 + digit;
  }
  if (value == 0) return false;
  *index = value - 1;
  return true;
}

}  // namespace

const std::vector<SelectorRow>& SelectorTable() {
  static const std::vector<SelectorRow> rows = BuildRows();
  return rows;
}

const SelectorRow* FindSelector(const char* selector) {
  for (const SelectorRow& row : SelectorTable()) {
    if (EqualsIgnoringCase(selector, row.text)) return &row;
  }
  return nullptr;
}

// The row of a selector text, found without building the table: a run
// looks up only the few selectors it was given.
std::optional<SelectorRow> LookUpRow(const char* text) {
  if (EqualsIgnoringCase(text, "/NAME")) return SelectorRow{"/NAME", SelectorKind::HostName, nullptr, 0};
  for (size_t g = 0; g < StructureGroupCount(); ++g) {
    const StructureGroup& group = StructureGroups()[g];
    if (EqualsIgnoringCase(text, group.selector)) {
      return SelectorRow{group.selector, SelectorKind::Group, nullptr, group.type};
    }
  }
  if (const TableGroup* group = FindTableGroup(text)) {
    return SelectorRow{group->selector, SelectorKind::Group, nullptr, kWholeTable, group};
  }
  if (const FieldRow* field = FindField(text)) {
    return SelectorRow{field->selector, SelectorKind::Field, field, 0};
  }
  return std::nullopt;
}

Selection ResolveSelector(const char* selector) {
  Selection selection;
  const char* colon = std::strchr(selector, ':');
  if (colon == nullptr) {
    selection.row = LookUpRow(selector);
    return selection;
  }
  std::optional<SelectorRow> row = LookUpRow(std::string(selector, colon).c_str());
  // Only the fields of one structure have instances.
  if (!row || row->kind != SelectorKind::Field || !row->field->OfStructure()) {
    return selection;
  }
  if (std::strcmp(colon + 1, "*") == 0) {
    selection.instances = Selection::Instances::All;
  } else if (ParseIndex(colon + 1, &selection.index)) {
    selection.instances = Selection::Instances::One;
  } else {
    return selection;
  }
  selection.row = row;
  return selection;
}

std::vector<Selection> ResolveSelectors(const std::vector<const char*>& selectors) {
  std::vector<Selection> selections;
  selections.reserve(selectors.size());
  for (const char* selector : selectors) selections.push_back(ResolveSelector(selector));
  return selections;
}

size_t SelectedCount(const SmbiosReader& reader, const Selection& selection) {
  if (selection.instances != Selection::Instances::All) return 1;
  return std::max<size_t>(reader.InstanceCount(selection.row->field->type), 1);
}

void SelectedValue(const SmbiosReader& reader, const Selection& selection, size_t k, bool iso,
                   FieldValue& value) {
  size_t index = selection.instances == Selection::Instances::All ? k : selection.index;
  reader.Decode(*selection.row->field, index, iso, value);
}

void WriteText(std::string_view text, bool csv) {
  if (!csv || text.find('"') == std::string_view::npos) {
    WriteOut(text);
    return;
  }
  // Inside CSV quotes a quote is doubled, so that every CSV reader gets the
  // value back as the firmware wrote it.
  std::string quoted;
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  WriteOut(quoted);
}

void WriteValue(const FieldValue& value, bool csv) {
  if (value.kind() != FieldValue::Kind::List) {
    WriteText(value.text(), csv);
  } else {
    WriteText(value.Joined(), csv);
  }
}

void PrintTableLine(const SmbiosReader* reader, const OutputOptions& options,
                    const std::vector<Selection>& selections, const std::string& file,
                    const std::string& refusal, int* runResult) {
  TextBuffer line;
  bool first = true;
  // Under /CSV a value is quoted, its quotes doubled; else a tab or a line
  // end inside it would split the line, and is written as a space.
  auto column = [&](std::string_view text) {
    if (!first) line.Append(options.csv ? ',' : '\t');
    first = false;
    if (options.csv) line.Append('"');
    for (char c : text) {
      if (options.csv && c == '"') line.Append('"');
      line.Append(!options.csv && (c == '\t' || c == '\n' || c == '\r') ? ' ' : c);
    }
    if (options.csv) line.Append('"');
  };
  column(file);
  if (reader == nullptr) column(refusal);
  FieldValue value;
  for (size_t i = 0; reader != nullptr && i < selections.size(); ++i) {
    const Selection& selection = selections[i];
    const std::optional<SelectorRow>& row = selection.row;
    if (row && row->kind == SelectorKind::Field) {
      for (size_t k = 0; k < SelectedCount(*reader, selection); ++k) {
        SelectedValue(*reader, selection, k, options.iso, value);
        column(value.Joined());
      }
    } else if (row && row->kind == SelectorKind::HostName) {
      std::string name;
      bool found = false;
      *runResult = LookUpHostName(&name, &found);
      column(name);
    } else {
      column("");
    }
  }
  line.Append('\n');
  WriteOut(line.view());
}

int LookUpHostName(std::string* name, bool* found) {
  NetworkInfo info;
  int code = GetNetworkInfo(&info);
  *found = info.hostName != nullptr;
  if (*found) *name = info.hostName;
  FreeNetworkInfo(&info);
  return code;
}

SelectorOutcome PrintSelectors(const SmbiosReader& reader,
                               const OutputOptions& options,
                               const std::vector<const char*>& selectors,
                               int* runResult) {
  // After a value: its closing quote and the comma when another value
  // follows, or the one separator the switches choose.
  auto endValue = [&options](bool last) {
    if (options.csv) {
      WriteOut(last ? "\"" : "\",");
    } else if (options.lines) {
      WriteOut("\n");
    } else if (options.tab) {
      WriteOut("\t");
    } else if (options.space) {
      WriteOut(" ");
    }
  };
  for (size_t i = 0; i < selectors.size(); ++i) {
    bool last = i + 1 == selectors.size();
    Selection selection = ResolveSelector(selectors[i]);
    const std::optional<SelectorRow>& row = selection.row;
    // Under ":*" every structure's value is written as if the selector had
    // been given once for it, quotes and separators included.
    if (row && row->kind == SelectorKind::Field) {
      size_t count = SelectedCount(reader, selection);
      FieldValue value;
      for (size_t k = 0; k < count; ++k) {
        if (options.csv) WriteOut("\"");
        SelectedValue(reader, selection, k, options.iso, value);
        if (value.present()) WriteValue(value, options.csv);
        endValue(last && k + 1 == count);
      }
      continue;
    }
    // The quote comes before the selector is acted on, so group switches and
    // unknown words get it too.
    if (options.csv) WriteOut("\"");
    if (row && row->kind == SelectorKind::Group) {
      if (row->tableGroup != nullptr) {
        reader.PrintTableGroup(*row->tableGroup);
      } else {
        reader.PrintGroup(row->groupType);
      }
      return SelectorOutcome::GroupEnded;
    }
    if (row && row->kind == SelectorKind::HostName) {
      std::string name;
      bool found = false;
      int code = LookUpHostName(&name, &found);
      *runResult = code;
      if (code != 0 && options.verbose) {
        // A failed lookup must not look like success to the script.
        ExitWithMessage("Error: Failed to retrieve network information\n", code);
      }
      if (found) WriteText(name, options.csv);
    }
    endValue(last);
  }
  return SelectorOutcome::Completed;
}

void PrintFieldList() {
  static const char* const kKinds[] = {"text", "number", "list"};
  TextBuffer out;
  auto line = [&out](const FieldRow& row, const char* group) {
    char type[4];
    out.Append(row.selector);
    out.Append('\t');
    // The other types' fields have no one type, nor a group's of the whole
    // table.
    if (row.type < kOtherTypes) {
      out.Append(type, static_cast<size_t>(AppendDecimal(type, row.type) - type));
    }
    out.Append('\t');
    out.Append(group);
    out.Append('\t');
    out.Append(row.name);
    out.Append('\t');
    out.Append(row.unit);
    out.Append('\t');
    out.Append(kKinds[static_cast<int>(row.kind)]);
    out.Append('\t');
    // What /DIFF leaves out, and why.
    if (row.varies) {
      out.Append("varies");
    } else if (row.RefersToHandle()) {
      out.Append("handle");
    }
    out.Append('\n');
  };
  for (size_t g = 0; g < StructureGroupCount(); ++g) {
    const StructureGroup& group = StructureGroups()[g];
    // A value of the whole table stands on its own in the document, not in
    // a group.
    for (size_t i = 0; i < group.rowCount; ++i) {
      line(group.rows[i], group.rows[i].OfStructure() ? group.selector + 1 : "");
    }
  }
  for (size_t g = 0; g < TableGroupCount(); ++g) {
    const TableGroup& group = TableGroups()[g];
    for (size_t i = 0; i < group.rowCount; ++i) line(group.rows[i], group.selector + 1);
  }
  WriteOut(out.view());
}

}  // namespace tarnlix
