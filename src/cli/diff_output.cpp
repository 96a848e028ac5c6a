#include "cli/diff_output.h"

#include <string>

#include "cli/json_output.h"
#include "platform/stdout.h"
#include "smbios/table_diff.h"

namespace tarnlix {

namespace {

// What a line calls an absent value.
constexpr std::string_view kNone = "(none)";

// A value on its line: a control byte in it (a line end in a serial
// number) as \xHH, so that one change stays one line.
void AppendShown(TextBuffer& out, const FieldValue& value) {
  std::string text = value.Joined();
  if (text.empty()) {
    out.Append(kNone);
    return;
  }
  static constexpr char kDigits[] = "0123456789ABCDEF";
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7F) {
      out.Append(c);
      continue;
    }
    const char escaped[] = {'\\', 'x', kDigits[byte >> 4], kDigits[byte & 0xF]};
    out.Append(std::string_view(escaped, sizeof escaped));
  }
}

// "MEM A3": the group and the structure's name.
void AppendStructure(TextBuffer& out, const StructureGroup& group, std::string_view name) {
  out.Append(group.selector + 1);
  if (!name.empty()) {
    out.Append(' ');
    out.Append(name);
  }
}

class TextDiff : public DiffVisitor {
 public:
  void Removed(const StructureGroup& group, const SmbiosRecord&, std::string_view name) override {
    AppendStructure(out_, group, name);
    out_.Append(" removed\n");
  }
  void Added(const StructureGroup& group, const SmbiosRecord&, std::string_view name) override {
    AppendStructure(out_, group, name);
    out_.Append(" added\n");
  }
  void Changed(const StructureGroup& group, const SmbiosRecord&, std::string_view name,
               const FieldRow& field, const FieldValue& was, const FieldValue& now) override {
    AppendStructure(out_, group, name);
    out_.Append(' ');
    out_.Append(field.selector);
    out_.Append(' ');
    AppendShown(out_, was);
    out_.Append(" -> ");
    AppendShown(out_, now);
    out_.Append('\n');
  }
  void DifferentMachine(const FieldRow& field, const FieldValue& was,
                        const FieldValue& now) override {
    machines_.Append(machines_.empty() ? "Different machines: " : ", ");
    machines_.Append(field.selector);
    machines_.Append(' ');
    AppendShown(machines_, was);
    machines_.Append(" -> ");
    AppendShown(machines_, now);
  }
  // The line that says the tables are of different machines comes first.
  void Write() const {
    TextBuffer all;
    if (!machines_.empty()) {
      all.Append(machines_.view());
      all.Append('\n');
    }
    all.Append(out_.view());
    WriteOut(all.view());
  }

 private:
  TextBuffer machines_;
  TextBuffer out_;
};

// Each list of the document: one object per line.
class JsonDiff : public DiffVisitor {
 public:
  void Removed(const StructureGroup& group, const SmbiosRecord& record,
               std::string_view name) override {
    Begin(removed_, group, record, name);
    removed_.Append('}');
  }
  void Added(const StructureGroup& group, const SmbiosRecord& record,
             std::string_view name) override {
    Begin(added_, group, record, name);
    added_.Append('}');
  }
  void Changed(const StructureGroup& group, const SmbiosRecord& record, std::string_view name,
               const FieldRow& field, const FieldValue& was, const FieldValue& now) override {
    Begin(changed_, group, record, name);
    changed_.Append(", \"field\": ");
    AppendJsonString(changed_, field.selector);
    changed_.Append(", \"was\": ");
    AppendJsonValue(changed_, was);
    changed_.Append(", \"now\": ");
    AppendJsonValue(changed_, now);
    changed_.Append('}');
  }
  void DifferentMachine(const FieldRow&, const FieldValue&, const FieldValue&) override {
    differentMachines_ = true;
  }
  void AppendDocument(TextBuffer& out) const {
    out.Append("{\n");
    out.Append(differentMachines_ ? "  \"different_machines\": true,\n"
                                  : "  \"different_machines\": false,\n");
    AppendList(out, "added", added_, ",\n");
    AppendList(out, "removed", removed_, ",\n");
    AppendList(out, "changed", changed_, "\n");
    out.Append("}\n");
  }

 private:
  static void Begin(TextBuffer& list, const StructureGroup& group, const SmbiosRecord& record,
                    std::string_view name) {
    list.Append(list.empty() ? "\n    {" : ",\n    {");
    list.Append("\"group\": ");
    AppendJsonString(list, group.selector + 1);
    FieldValue handle;
    handle.BeginText();
    handle.AppendHex(record.handle, 4);
    list.Append(", \"handle\": ");
    AppendJsonValue(list, handle);
    list.Append(", \"structure\": ");
    AppendJsonString(list, name);
  }
  static void AppendList(TextBuffer& out, const char* key, const TextBuffer& items,
                         const char* end) {
    out.Append("  \"");
    out.Append(key);
    out.Append("\": [");
    out.Append(items.view());
    if (!items.empty()) out.Append("\n  ");
    out.Append(']');
    out.Append(end);
  }

  bool differentMachines_ = false;
  TextBuffer added_;
  TextBuffer removed_;
  TextBuffer changed_;
};

}  // namespace

int PrintDiff(const SmbiosReader& saved, const SmbiosReader& now, const OutputOptions& options) {
  bool differs = false;
  if (options.json) {
    JsonDiff diff;
    differs = CompareMachines(saved, now, diff);
    differs = CompareTables(saved, now, diff) || differs;
    TextBuffer out;
    diff.AppendDocument(out);
    WriteOut(out.view());
  } else {
    TextDiff diff;
    differs = CompareMachines(saved, now, diff);
    differs = CompareTables(saved, now, diff) || differs;
    diff.Write();
  }
  return differs ? kExitChanged : kExitSuccess;
}

}  // namespace tarnlix
