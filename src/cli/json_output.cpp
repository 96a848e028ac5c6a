#include "cli/json_output.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "cli/selectors.h"
#include "cli/utf8.h"
#include "platform/ascii.h"
#include "platform/stdout.h"

namespace tarnlix {

namespace {

// Bytes a JSON string takes as they are: printable ASCII but the quote and
// the backslash.
constexpr bool IsPlainByte(unsigned c) { return c >= 0x20 && c < 0x7F && c != '"' && c != '\\'; }
struct PlainBytes {
  bool plain[256] = {};
  constexpr PlainBytes() {
    for (unsigned c = 0; c < 256; ++c) plain[c] = IsPlainByte(c);
  }
};
constexpr PlainBytes kPlain;
bool IsPlain(unsigned char c) { return kPlain.plain[c]; }

// How many bytes at the start of text are plain, eight at a time while they
// are: a document has thousands of strings.
size_t PlainPrefix(const unsigned char* text, size_t size) {
  constexpr uint64_t kOnes = 0x0101010101010101ull;
  constexpr uint64_t kHighs = 0x8080808080808080ull;
  size_t at = 0;
  for (; at + 8 <= size; at += 8) {
    uint64_t word;
    std::memcpy(&word, text + at, 8);
    // A byte below 0x20 or above 0x7E, a quote or a backslash sets the top
    // bit of its byte in one of these.
    uint64_t control = (word - 0x20 * kOnes) & ~word;
    uint64_t high = word + 0x01 * kOnes;  // 0x7F and above reach the top bit
    uint64_t quote = word ^ ('"' * kOnes);
    uint64_t backslash = word ^ ('\\' * kOnes);
    uint64_t marks = control | (word & kHighs) | (high & kHighs) |
                     ((quote - kOnes) & ~quote) | ((backslash - kOnes) & ~backslash);
    if ((marks & kHighs) != 0) break;
  }
  while (at < size && IsPlain(text[at])) ++at;
  return at;
}

// The level of the members of a document on one line (JSON Lines): no line
// ends, no indentation, whatever the depth.
constexpr int kOneLine = -1;

int Deeper(int level) { return level == kOneLine ? kOneLine : level + 1; }

void Indent(TextBuffer& out, int level) {
  static const char kSpaces[] = "                                ";
  out.Append(kSpaces, 2 * static_cast<size_t>(level));
}

// Elements of an array or members of an object, each on its own line.
class ListWriter {
 public:
  ListWriter(TextBuffer& out, char open, char close, int level)
      : out_(out), close_(close), level_(level) {
    out_.Append(open);
  }
  // Starts the next element: the comma after the previous one, a line end
  // and the indentation (on one line, a space after the comma).
  TextBuffer& Next() {
    if (level_ == kOneLine) {
      if (!empty_) out_.Append(", ");
    } else {
      out_.Append(empty_ ? "\n" : ",\n");
      Indent(out_, level_ + 1);
    }
    empty_ = false;
    return out_;
  }
  // Starts the next member: its key (one of the tool's own, plain ASCII of
  // at most kMaxKeyLength bytes), then the value is written. Written byte by
  // byte: a document has thousands of keys.
  void Key(const char* key) {
    static constexpr size_t kMaxKeyLength = 64;
    bool oneLine = level_ == kOneLine;
    size_t indent = oneLine ? 0 : 2 * static_cast<size_t>(level_ + 1);
    char* start = out_.Reserve(2 + indent + kMaxKeyLength + 4);
    char* at = start;
    if (!empty_) *at++ = ',';
    *at++ = oneLine ? ' ' : '\n';
    if (oneLine && empty_) --at;
    for (size_t i = 0; i < indent; ++i) *at++ = ' ';
    *at++ = '"';
    for (size_t i = 0; key[i] != '\0' && i < kMaxKeyLength; ++i) *at++ = key[i];
    *at++ = '"';
    *at++ = ':';
    *at++ = ' ';
    out_.Commit(static_cast<size_t>(at - start));
    empty_ = false;
  }
  // A key as the user typed it: any length, escaped as every string is.
  void Key(std::string_view key) {
    Next();
    AppendJsonString(out_, key);
    out_.Append(": ");
  }
  void Close() {
    if (!empty_ && level_ != kOneLine) {
      out_.Append('\n');
      Indent(out_, level_);
    }
    out_.Append(close_);
  }

 private:
  TextBuffer& out_;
  char close_;
  int level_;
  bool empty_ = true;
};

// A value: null when absent, a number as its digits, a list as one array
// on its line.
void AppendValue(TextBuffer& out, const FieldValue& value) {
  switch (value.kind()) {
    case FieldValue::Kind::Absent:
      out.Append("null");
      return;
    case FieldValue::Kind::Number:
      out.Append(value.text());
      return;
    case FieldValue::Kind::Text:
      AppendJsonString(out, value.text());
      return;
    case FieldValue::Kind::List: {
      out.Append('[');
      bool first = true;
      value.ForEachItem([&](std::string_view item) {
        if (!first) out.Append(", ");
        AppendJsonString(out, item);
        first = false;
      });
      out.Append(']');
      return;
    }
  }
}

// A field's member of a structure's object as the document writes it: a
// comma, a line end, the indentation, the key and its colon, then the null
// of a field without a value. Copied whole: a document has thousands of
// them, more than half of them null.
struct JsonKey {
  static constexpr size_t kSize = 48;
  static constexpr std::string_view kLead = ",\n      \"";
  static constexpr std::string_view kNull = "\": null";
  static_assert(kLead.size() + kMaxSelectorLength - 1 + kNull.size() <= kSize);
  char text[kSize];
  uint8_t length;  // up to the value; with the null, 4 more
  // The structure length the field needs (a shorter structure has no
  // value), and whether the row is a member of a structure's object at all
  // (not a second spelling, not a value of the whole table).
  uint16_t since;
  bool member;
};

// The keys of a group's rows as the members of a structure's object at the
// document's third level, or on one line: worked out when a document first
// has one of its structures.
const JsonKey* KeysOf(const StructureGroup& group, bool oneLine) {
  // Kept for the whole run, as the rows are: nothing to release at its end.
  static JsonKey* cache[2][kOtherTypes + 1];
  JsonKey*& keys = cache[oneLine][group.type];
  if (keys != nullptr) return keys;
  // Each key is written whole where it is used, but only its length counts:
  // the bytes after it need no value.
  keys = new JsonKey[group.rowCount];
  std::string_view lead = oneLine ? ", \"" : JsonKey::kLead;
  for (size_t i = 0; i < group.rowCount; ++i) {
    const FieldRow& row = group.rows[i];
    JsonKey& key = keys[i];
    size_t at = lead.size();
    std::memcpy(key.text, lead.data(), at);
    // Fits: selectors are no longer than kMaxSelectorLength.
    size_t length = std::min(std::strlen(row.selector + 1), kMaxSelectorLength - 1);
    std::memcpy(key.text + at, row.selector + 1, length);
    at += length;
    std::memcpy(key.text + at, JsonKey::kNull.data(), JsonKey::kNull.size());
    key.length = static_cast<uint8_t>(at + 3);
    key.since = static_cast<uint16_t>(row.Since());
    key.member = !row.alias && row.OfStructure();
  }
  return keys;
}

// One structure's object: its handle, then every field of its type, keyed
// by its selector.
void AppendStructure(TextBuffer& out, const SmbiosReader& reader, const SmbiosRecord& record,
                     bool iso, int level, FieldValue& value) {
  ListWriter object(out, '{', '}', level);
  object.Key("HANDLE");
  value.BeginText();
  value.AppendHex(record.handle, 4);
  AppendValue(out, value);
  if (const StructureGroup* group = GroupOf(record.structureType)) {
    StructureView view = reader.View(record);
    StringIndex strings;
    view.IndexStrings(strings);
    const JsonKey* keys = KeysOf(*group, level == kOneLine);
    for (size_t i = 0; i < group->rowCount; ++i) {
      const JsonKey& key = keys[i];
      if (!key.member) continue;
      std::memcpy(out.Reserve(JsonKey::kSize), key.text, JsonKey::kSize);
      out.Commit(key.length);
      // A structure too short for the field has no value: the fields of
      // later versions of the standard, in older tables, are most of a
      // document's nulls.
      if (view.length < key.since) {
        out.Commit(4);
        continue;
      }
      DecodeField(group->rows[i], view, iso, value);
      // The null is still in place after the key: decoding writes nothing
      // to the document.
      if (!value.present()) {
        out.Commit(4);
        continue;
      }
      AppendValue(out, value);
    }
  }
  object.Close();
}

// Every structure of a type, in table order.
void AppendGroup(TextBuffer& out, const SmbiosReader& reader, uint16_t type, bool iso,
                 int level, FieldValue& value) {
  ListWriter array(out, '[', ']', level);
  for (size_t i = 0; i < reader.InstanceCount(type); ++i) {
    array.Next();
    AppendStructure(out, reader, *reader.Instance(type, i), iso, Deeper(level), value);
  }
  array.Close();
}

// A group of values of the whole table: one object.
void AppendTableGroup(TextBuffer& out, const SmbiosReader& reader, const TableGroup& group,
                      int level, FieldValue& value) {
  ListWriter object(out, '{', '}', level);
  for (size_t i = 0; i < group.rowCount; ++i) {
    object.Key(group.rows[i].selector + 1);
    reader.Decode(group.rows[i], 0, false, value);
    AppendValue(out, value);
  }
  object.Close();
}

// The host name, or null when the lookup fails; sets *code to its result.
void AppendHostName(TextBuffer& out, int* code) {
  std::string name;
  bool found = false;
  *code = LookUpHostName(&name, &found);
  if (found) {
    AppendJsonString(out, name);
  } else {
    out.Append("null");
  }
}

bool IsFieldOrGroup(const Selection& selection) {
  return selection.row && selection.row->kind != SelectorKind::HostName;
}

// The key of a selector: its text without the leading slash, in upper case.
std::string KeyOf(const char* selector) {
  std::string key(selector[0] == '/' ? selector + 1 : selector);
  for (char& c : key) c = UpperAscii(c);
  return key;
}

// What the inventory is: the source the table came from, and whether it is
// the part any user may read.
constexpr const char* kInventoryKeys[] = {"SOURCE", "PARTIAL"};

void AppendInventoryKind(ListWriter& document, TextBuffer& out, const SmbiosReader& reader) {
  document.Key(kInventoryKeys[0]);
  AppendJsonString(out, std::string_view(reader.SourceName()));
  document.Key(kInventoryKeys[1]);
  out.Append(reader.Partial() ? "true" : "false");
}

// The document of the whole table; the table's file first where given.
void AppendWholeTable(TextBuffer& out, const SmbiosReader& reader, bool iso, bool withName,
                      int level, const std::string* file, int* nameCode) {
  FieldValue value;
  ListWriter document(out, '{', '}', level);
  if (file != nullptr) {
    document.Key("FILE");
    AppendJsonString(out, *file);
  }
  document.Key("SMBIOS");
  if (reader.versionMajor > 0) {
    value.BeginText();
    value.AppendDecimal(static_cast<uint64_t>(reader.versionMajor));
    value.Append('.');
    value.AppendDecimal(static_cast<uint32_t>(reader.versionMinor));
    AppendValue(out, value);
  } else {
    out.Append("null");
  }
  document.Key("NAME");
  if (withName) {
    AppendHostName(out, nameCode);
  } else {
    out.Append("null");
  }
  AppendInventoryKind(document, out, reader);
  for (size_t g = 0; g < StructureGroupCount(); ++g) {
    const StructureGroup& group = StructureGroups()[g];
    document.Key(group.selector + 1);
    AppendGroup(out, reader, group.type, iso, Deeper(level), value);
  }
  // The values of the whole table close the document, those of a group in
  // its object.
  for (const FieldRow* row : TableRows()) {
    document.Key(row->selector + 1);
    reader.Decode(*row, 0, false, value);
    AppendValue(out, value);
  }
  for (size_t g = 0; g < TableGroupCount(); ++g) {
    const TableGroup& group = TableGroups()[g];
    document.Key(group.selector + 1);
    AppendTableGroup(out, reader, group, Deeper(level), value);
  }
  document.Close();
}

}  // namespace

void AppendJsonValue(TextBuffer& out, const FieldValue& value) { AppendValue(out, value); }

void AppendJsonString(TextBuffer& out, std::string_view text) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const unsigned char* end = bytes + text.size();
  // Most firmware strings are plain ASCII: written in one piece.
  const unsigned char* plain = bytes + PlainPrefix(bytes, text.size());
  size_t run = static_cast<size_t>(plain - bytes);
  char* start = out.Reserve(run + 2);
  start[0] = '"';
  if (run != 0) std::memcpy(start + 1, text.data(), run);
  if (plain == end) {
    start[run + 1] = '"';
    out.Commit(run + 2);
    return;
  }
  out.Commit(run + 1);
  ForEachUtf8Byte(plain, end, [&out](unsigned char c) {
    switch (c) {
      case '"': out.Append("\\\""); return;
      case '\\': out.Append("\\\\"); return;
      case '\b': out.Append("\\b"); return;
      case '\f': out.Append("\\f"); return;
      case '\n': out.Append("\\n"); return;
      case '\r': out.Append("\\r"); return;
      case '\t': out.Append("\\t"); return;
      default: break;
    }
    if (c < 0x20) {
      out.Append("\\u00");
      out.Append(HexDigit(c >> 4, true));
      out.Append(HexDigit(c, true));
    } else {
      out.Append(static_cast<char>(c));
    }
  });
  out.Append('"');
}

void AppendJsonString(std::string& out, const char* text) {
  TextBuffer buffer;
  AppendJsonString(buffer, std::string_view(text));
  out.append(buffer.data(), buffer.size());
}

int PrintJson(const SmbiosReader& reader, const OutputOptions& options,
              const std::vector<const char*>& selectors, const std::string* file) {
  return PrintJson(reader, options, selectors, ResolveSelectors(selectors), file);
}

int PrintJson(const SmbiosReader& reader, const OutputOptions& options,
              const std::vector<const char*>& selectors, const std::vector<Selection>& selections,
              const std::string* file) {
  bool wholeTable = true;
  bool askedForName = false;
  for (size_t i = 0; i < selectors.size(); ++i) {
    const Selection& selection = selections[i];
    wholeTable = wholeTable && !IsFieldOrGroup(selection);
    askedForName = askedForName || (selection.row &&
                                    selection.row->kind == SelectorKind::HostName);
    if (EqualsIgnoringCase(selectors[i], "/ALL")) {
      wholeTable = true;
      break;
    }
  }

  TextBuffer out;
  // A document is about eight times the table's size: room for it at once.
  out.Reserve(reader.records.size() * 640);
  int level = file != nullptr ? kOneLine : 0;
  int nameCode = 0;
  if (wholeTable) {
    // A saved table is another machine's: the name of the one reading it
    // does not belong next to it, unless "/NAME" asks for it.
    bool withName = askedForName || reader.tableSource != RawTableSource::File;
    AppendWholeTable(out, reader, options.iso, withName, level, file, &nameCode);
    out.Append('\n');
    WriteOut(out.view());
    // The lookup is part of every document, but only a "/NAME" the user gave
    // decides the exit code, as in text output.
    return askedForName ? nameCode : kExitSuccess;
  }

  FieldValue value;
  ListWriter document(out, '{', '}', level);
  if (file != nullptr) {
    document.Key("FILE");
    AppendJsonString(out, *file);
  }
  // The inventory's kind closes the document: no selector takes its keys.
  std::vector<std::string> keys(std::begin(kInventoryKeys), std::end(kInventoryKeys));
  for (size_t i = 0; i < selectors.size(); ++i) {
    std::string key = KeyOf(selectors[i]);
    bool repeated = file != nullptr && key == "FILE";
    for (const std::string& seen : keys) repeated = repeated || seen == key;
    if (repeated) continue;
    keys.push_back(key);
    document.Key(std::string_view(key));
    const Selection& selection = selections[i];
    const std::optional<SelectorRow>& row = selection.row;
    if (!row) {
      out.Append("null");
    } else if (row->kind == SelectorKind::HostName) {
      AppendHostName(out, &nameCode);
    } else if (row->tableGroup != nullptr) {
      AppendTableGroup(out, reader, *row->tableGroup, Deeper(level), value);
    } else if (row->kind == SelectorKind::Group) {
      AppendGroup(out, reader, static_cast<uint16_t>(row->groupType), options.iso,
                  Deeper(level), value);
    } else if (selection.instances == Selection::Instances::All) {
      ListWriter array(out, '[', ']', Deeper(level));
      for (size_t k = 0; k < reader.InstanceCount(row->field->type); ++k) {
        reader.Decode(*row->field, k, options.iso, value);
        AppendValue(array.Next(), value);
      }
      array.Close();
    } else {
      reader.Decode(*row->field, selection.index, options.iso, value);
      AppendValue(out, value);
    }
  }
  AppendInventoryKind(document, out, reader);
  document.Close();
  out.Append('\n');
  WriteOut(out.view());
  return nameCode;
}

void PrintJsonRefusal(const std::string& file, const std::string& refusal) {
  TextBuffer out;
  ListWriter document(out, '{', '}', kOneLine);
  document.Key("FILE");
  AppendJsonString(out, file);
  document.Key("ERROR");
  AppendJsonString(out, refusal);
  document.Close();
  out.Append('\n');
  WriteOut(out.view());
}

}  // namespace tarnlix
