#include "cli/json_output.h"

#include <cstring>

#include "cli/selectors.h"
#include "platform/stdout.h"

namespace tarnlix {

namespace {

// The length of the UTF-8 sequence at text, or 0 when none starts there:
// no overlong forms, no surrogates, nothing above U+10FFFF.
size_t Utf8SequenceLength(const unsigned char* text) {
  unsigned char lead = text[0];
  if (lead < 0x80) return 1;
  size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                  : lead >= 0xE0 && lead <= 0xEF ? 3
                  : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                 : 0;
  if (length == 0) return 0;
  // The second byte's range rules out overlong forms and surrogates.
  unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
  unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
  if (text[1] < low || text[1] > high) return 0;
  for (size_t i = 2; i < length; ++i) {
    if (text[i] < 0x80 || text[i] > 0xBF) return 0;
  }
  return length;
}

bool IsUtf8(const unsigned char* text) {
  while (*text != '\0') {
    size_t length = Utf8SequenceLength(text);
    if (length == 0) return false;
    text += length;
  }
  return true;
}

void Indent(std::string& out, int level) { out.append(2 * static_cast<size_t>(level), ' '); }

void AppendValue(std::string& out, const char* value, bool number) {
  if (value == nullptr) {
    out += "null";
  } else if (number) {
    out += value;  // decimal digits, as the decoders write them
  } else {
    AppendJsonString(out, value);
  }
}

// Elements of an array or members of an object, each on its own line.
class ListWriter {
 public:
  ListWriter(std::string& out, char open, char close, int level)
      : out_(out), close_(close), level_(level) {
    out_ += open;
  }
  // Starts the next element: the comma after the previous one, a line end
  // and the indentation.
  std::string& Next() {
    out_ += empty_ ? "\n" : ",\n";
    empty_ = false;
    Indent(out_, level_ + 1);
    return out_;
  }
  void Close() {
    if (!empty_) {
      out_ += '\n';
      Indent(out_, level_);
    }
    out_ += close_;
  }

 private:
  std::string& out_;
  char close_;
  int level_;
  bool empty_ = true;
};

// One structure's object: every field of its type, keyed by its selector.
void AppendStructure(std::string& out, const SmbiosReader& reader, uint8_t type, size_t index,
                     bool iso, int level) {
  ListWriter object(out, '{', '}', level);
  for (size_t f = 0; f < FieldRowCount(); ++f) {
    const FieldRow& field = FieldRows()[f];
    if (field.type != type || field.alias || field.decode == FieldDecode::MemoryTotal) continue;
    AppendJsonString(object.Next(), field.selector + 1);
    out += ": ";
    AppendValue(out, reader.Value(field, index, iso), field.number);
  }
  object.Close();
}

// Every structure of a type, in table order.
void AppendGroup(std::string& out, const SmbiosReader& reader, uint8_t type, bool iso,
                 int level) {
  ListWriter array(out, '[', ']', level);
  for (size_t i = 0; i < reader.InstanceCount(type); ++i) {
    array.Next();
    AppendStructure(out, reader, type, i, iso, level + 1);
  }
  array.Close();
}

// The host name, or null when the lookup fails; sets *code to its result.
void AppendHostName(std::string& out, int* code) {
  std::string name;
  bool found = false;
  *code = LookUpHostName(&name, &found);
  if (found) {
    AppendJsonString(out, name.c_str());
  } else {
    out += "null";
  }
}

bool IsFieldOrGroup(const Selection& selection) {
  return selection.row && selection.row->kind != SelectorKind::HostName;
}

// The key of a selector: its text without the leading slash, in upper case.
std::string KeyOf(const char* selector) {
  std::string key(selector[0] == '/' ? selector + 1 : selector);
  for (char& c : key) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return key;
}

void AppendWholeTable(std::string& out, const SmbiosReader& reader, bool iso, int* nameCode) {
  ListWriter document(out, '{', '}', 0);
  AppendJsonString(document.Next(), "SMBIOS");
  if (reader.versionMajor > 0) {
    out += ": \"" + std::to_string(reader.versionMajor) + "." +
           std::to_string(reader.versionMinor) + "\"";
  } else {
    out += ": null";
  }
  AppendJsonString(document.Next(), "NAME");
  out += ": ";
  AppendHostName(out, nameCode);
  for (size_t g = 0; g < StructureGroupCount(); ++g) {
    const StructureGroup& group = StructureGroups()[g];
    AppendJsonString(document.Next(), group.selector + 1);
    out += ": ";
    AppendGroup(out, reader, group.type, iso, 1);
  }
  const FieldRow* total = FindField("/MEMTOTAL");
  AppendJsonString(document.Next(), "MEMTOTAL");
  out += ": ";
  AppendValue(out, reader.Value(*total), true);
  document.Close();
}

}  // namespace

void AppendJsonString(std::string& out, const char* text) {
  static const char kHex[] = "0123456789abcdef";
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  bool utf8 = IsUtf8(bytes);
  out += '"';
  for (; *bytes != '\0'; ++bytes) {
    unsigned char c = *bytes;
    switch (c) {
      case '"': out += "\\\""; continue;
      case '\\': out += "\\\\"; continue;
      case '\b': out += "\\b"; continue;
      case '\f': out += "\\f"; continue;
      case '\n': out += "\\n"; continue;
      case '\r': out += "\\r"; continue;
      case '\t': out += "\\t"; continue;
      default: break;
    }
    if (c < 0x20) {
      out += "\\u00";
      out += kHex[c >> 4];
      out += kHex[c & 0x0F];
    } else if (c < 0x80 || utf8) {
      out += static_cast<char>(c);
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  out += '"';
}

int PrintJson(const SmbiosReader& reader, const OutputOptions& options,
              const std::vector<const char*>& selectors) {
  std::vector<Selection> selections;
  bool wholeTable = true;
  bool askedForName = false;
  for (const char* selector : selectors) {
    selections.push_back(ResolveSelector(selector));
    const Selection& selection = selections.back();
    wholeTable = wholeTable && !IsFieldOrGroup(selection);
    askedForName = askedForName || (selection.row &&
                                    selection.row->kind == SelectorKind::HostName);
    if (EqualsIgnoringCase(selector, "/ALL")) {
      wholeTable = true;
      break;
    }
  }

  std::string out;
  int nameCode = 0;
  if (wholeTable) {
    AppendWholeTable(out, reader, options.iso, &nameCode);
    out += '\n';
    WriteOut(out);
    // The lookup is part of every document, but only a "/NAME" the user gave
    // decides the exit code, as in text output.
    return askedForName ? nameCode : kExitSuccess;
  }

  ListWriter document(out, '{', '}', 0);
  std::vector<std::string> keys;
  for (size_t i = 0; i < selectors.size(); ++i) {
    std::string key = KeyOf(selectors[i]);
    bool repeated = false;
    for (const std::string& seen : keys) repeated = repeated || seen == key;
    if (repeated) continue;
    keys.push_back(key);
    AppendJsonString(document.Next(), key.c_str());
    out += ": ";
    const Selection& selection = selections[i];
    const std::optional<SelectorRow>& row = selection.row;
    if (!row) {
      out += "null";
    } else if (row->kind == SelectorKind::HostName) {
      AppendHostName(out, &nameCode);
    } else if (row->kind == SelectorKind::Group) {
      AppendGroup(out, reader, static_cast<uint8_t>(row->groupType), options.iso, 1);
    } else if (selection.instances == Selection::Instances::All) {
      ListWriter array(out, '[', ']', 1);
      for (size_t k = 0; k < reader.InstanceCount(row->field->type); ++k) {
        AppendValue(array.Next(), reader.Value(*row->field, k, options.iso), row->field->number);
      }
      array.Close();
    } else {
      AppendValue(out, reader.Value(*row->field, selection.index, options.iso),
                  row->field->number);
    }
  }
  document.Close();
  out += '\n';
  WriteOut(out);
  return nameCode;
}

}  // namespace tarnlix
