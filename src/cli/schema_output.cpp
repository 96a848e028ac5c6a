#include "cli/schema_output.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "cli/json_output.h"
#include "cli/version.h"
#include "platform/stdout.h"
#include "smbios/fields.h"

namespace tarnlix {

namespace {

// A JSON value under construction: a scalar written as it is (a string's
// quotes included), or an array or object of values.
struct Node {
  enum class Kind : uint8_t { Scalar, Array, Object };
  Kind kind = Kind::Scalar;
  std::string scalar;
  std::vector<std::pair<std::string, Node>> members;  // an array's have no key

  static Node Text(std::string_view text) {
    TextBuffer quoted;
    AppendJsonString(quoted, text);
    Node node;
    node.scalar = std::string(quoted.view());
    return node;
  }
  static Node Raw(const char* text) {
    Node node;
    node.scalar = text;
    return node;
  }
  static Node Array(std::vector<Node> items = {}) {
    Node node;
    node.kind = Kind::Array;
    for (Node& item : items) node.members.emplace_back("", std::move(item));
    return node;
  }
  static Node Object() {
    Node node;
    node.kind = Kind::Object;
    return node;
  }
  Node& Set(std::string key, Node value) {
    members.emplace_back(std::move(key), std::move(value));
    return *this;
  }
  void Add(Node item) { members.emplace_back("", std::move(item)); }

  // Whether it is written on one line: no object holds another object.
  bool Flat() const {
    for (const auto& member : members) {
      if (member.second.kind == Kind::Object) return false;
      if (member.second.kind == Kind::Array && !member.second.Flat()) return false;
    }
    return true;
  }
  void Write(TextBuffer& out, int level) const {
    if (kind == Kind::Scalar) {
      out.Append(scalar);
      return;
    }
    bool flat = Flat();
    out.Append(kind == Kind::Array ? '[' : '{');
    bool first = true;
    for (const auto& [key, value] : members) {
      out.Append(first ? "" : ",");
      if (flat) {
        if (!first) out.Append(' ');
      } else {
        out.Append('\n');
        out.Append(std::string(2 * static_cast<size_t>(level + 1), ' '));
      }
      first = false;
      if (kind == Kind::Object) {
        AppendJsonString(out, key);
        out.Append(": ");
      }
      value.Write(out, level + 1);
    }
    if (!flat && !first) {
      out.Append('\n');
      out.Append(std::string(2 * static_cast<size_t>(level), ' '));
    }
    out.Append(kind == Kind::Array ? ']' : '}');
  }
};

Node Ref(const std::string& name) {
  return Node::Object().Set("$ref", Node::Text("#/$defs/" + name));
}

Node Types(std::initializer_list<const char*> types) {
  Node list = Node::Array();
  for (const char* type : types) list.Add(Node::Text(type));
  return types.size() == 1 ? Node::Text(*types.begin()) : list;
}

// The members of the document besides the groups and the values of the
// table, in the order it writes them: whether each is always there, and
// what it holds. SOURCE and PARTIAL are written by every document and
// every line of a run over several tables.
struct TopKey {
  const char* key;
  std::initializer_list<const char*> types;
  bool required;
  const char* description;
};
const TopKey kTopKeys[] = {
    {"SMBIOS", {"string", "null"}, true, "the table's SMBIOS version, major.minor"},
    {"NAME", {"string", "null"}, true,
     "the host name, unqualified; null for a table read from a file, unless /NAME is given"},
    {"SOURCE", {"string"}, true,
     "where the table was read from: firmware, registry, memory, scan, file, or published "
     "(the part of the table any user may read)"},
    {"PARTIAL", {"boolean"}, true,
     "true when only the part of the table any user may read could be read (Linux without root)"},
};

// What a field is: its selector, its name, its unit.
std::string Describe(const FieldRow& row) {
  std::string text = row.selector;
  std::string name = row.about != nullptr                      ? row.about
                     : row.place == 0 && row.label != nullptr ? row.label
                                                              : row.name;
  while (!name.empty() && name.back() == ' ') name.pop_back();
  if (!name.empty()) text += ": " + name;
  if (row.unit[0] != '\0') text += std::string(", in ") + row.unit;
  return text;
}

// A field's value: its kind, or null where it has none.
Node FieldSchema(const FieldRow& row) {
  Node node = Node::Object();
  switch (row.kind) {
    case FieldKind::Text: node.Set("type", Types({"string", "null"})); break;
    case FieldKind::Number: node.Set("type", Types({"number", "null"})); break;
    case FieldKind::List:
      node.Set("type", Types({"array", "null"}));
      node.Set("items", Node::Object().Set("type", Node::Text("string")));
      break;
  }
  node.Set("description", Node::Text(Describe(row)));
  return node;
}

// An object of fields: every row's key is always there.
Node ObjectOf(const FieldRow* rows, size_t count, const std::string& description, bool handle) {
  Node properties = Node::Object();
  Node required = Node::Array();
  if (handle) {
    properties.Set("HANDLE", Ref("handle"));
    required.Add(Node::Text("HANDLE"));
  }
  for (size_t i = 0; i < count; ++i) {
    const FieldRow& row = rows[i];
    if (row.alias || (handle && !row.OfStructure())) continue;
    properties.Set(row.selector + 1, FieldSchema(row));
    required.Add(Node::Text(row.selector + 1));
  }
  return Node::Object()
      .Set("type", Node::Text("object"))
      .Set("description", Node::Text(description))
      .Set("properties", std::move(properties))
      .Set("required", std::move(required));
}

Node DocumentSchema(Node& defs) {
  Node properties = Node::Object();
  Node required = Node::Array();
  auto member = [&](const char* key, Node schema, bool always) {
    properties.Set(key, std::move(schema));
    if (always) required.Add(Node::Text(key));
  };
  for (const TopKey& top : kTopKeys) {
    member(top.key, Node::Object().Set("type", Types(top.types))
                        .Set("description", Node::Text(top.description)),
           top.required);
  }
  for (size_t g = 0; g < StructureGroupCount(); ++g) {
    const StructureGroup& group = StructureGroups()[g];
    std::string what = group.what;
    what += group.type == kOtherTypes ? ": every type the standard does not define"
                                      : ", type " + std::to_string(group.type);
    defs.Set(group.selector + 1, ObjectOf(group.rows, group.rowCount, "One " + what, true));
    member(group.selector + 1,
           Node::Object().Set("type", Node::Text("array"))
               .Set("items", Ref(group.selector + 1))
               .Set("description", Node::Text(std::string(group.selector) + ": every " + what +
                                              ", in table order")),
           true);
  }
  for (const FieldRow* row : TableRows()) member(row->selector + 1, FieldSchema(*row), true);
  for (size_t g = 0; g < TableGroupCount(); ++g) {
    const TableGroup& group = TableGroups()[g];
    defs.Set(group.selector + 1, ObjectOf(group.rows, group.rowCount,
                                          std::string(group.selector) + ": " + group.what, false));
    member(group.selector + 1, Ref(group.selector + 1), true);
  }
  return Node::Object()
      .Set("type", Node::Text("object"))
      .Set("description", Node::Text("tarnlix /JSON: the inventory of one table"))
      .Set("properties", std::move(properties))
      .Set("required", std::move(required));
}

Node LineSchema() {
  Node error = Node::Object().Set("required", Node::Array({Node::Text("ERROR")}));
  return Node::Object()
      .Set("type", Node::Text("object"))
      .Set("description", Node::Text("A line of /JSON over several tables (JSON Lines): the "
                                     "file, then its document, or why it cannot be read"))
      .Set("properties",
           Node::Object()
               .Set("FILE", Node::Object().Set("type", Node::Text("string"))
                                .Set("description", Node::Text("the file, as it was found")))
               .Set("ERROR", Node::Object().Set("type", Node::Text("string"))
                                 .Set("description", Node::Text("why it cannot be read"))))
      .Set("required", Node::Array({Node::Text("FILE")}))
      .Set("anyOf", Node::Array({std::move(error), Ref("document")}));
}

Node DiffSchema(Node& defs) {
  Node groups = Node::Array();
  for (size_t g = 0; g < StructureGroupCount(); ++g) {
    groups.Add(Node::Text(StructureGroups()[g].selector + 1));
  }
  Node fields = Node::Array();
  ForEachField([&fields](const FieldRow& row) {
    if (row.Compared()) fields.Add(Node::Text(row.selector));
  });
  auto structure = [&groups]() {
    return Node::Object()
        .Set("group", Node::Object().Set("enum", Node(groups)))
        .Set("handle", Ref("handle"))
        .Set("structure", Node::Object().Set("type", Node::Text("string"))
                              .Set("description", Node::Text("its identifying values")));
  };
  Node structureKeys =
      Node::Array({Node::Text("group"), Node::Text("handle"), Node::Text("structure")});
  defs.Set("diffStructure", Node::Object()
                                .Set("type", Node::Text("object"))
                                .Set("properties", structure())
                                .Set("required", Node(structureKeys)));
  Node value = Node::Object().Set("type", Types({"string", "number", "array", "null"}))
                   .Set("items", Node::Object().Set("type", Node::Text("string")));
  Node change = structure();
  change.Set("field", Node::Object().Set("enum", std::move(fields)));
  change.Set("was", Node(value));
  change.Set("now", std::move(value));
  for (const char* key : {"field", "was", "now"}) structureKeys.Add(Node::Text(key));
  defs.Set("diffChange", Node::Object()
                             .Set("type", Node::Text("object"))
                             .Set("properties", std::move(change))
                             .Set("required", std::move(structureKeys)));
  auto list = [](const char* item, const char* description) {
    return Node::Object().Set("type", Node::Text("array")).Set("items", Ref(item))
        .Set("description", Node::Text(description));
  };
  return Node::Object()
      .Set("type", Node::Text("object"))
      .Set("description", Node::Text("tarnlix /DIFF: /JSON: what changed since a saved table"))
      .Set("properties",
           Node::Object()
               .Set("different_machines",
                    Node::Object().Set("type", Node::Text("boolean"))
                        .Set("description", Node::Text("the serial numbers or UUIDs of the "
                                                       "two tables, known in both, differ")))
               .Set("added", list("diffStructure", "the structures added"))
               .Set("removed", list("diffStructure", "the structures removed"))
               .Set("changed", list("diffChange", "the fields changed")))
      .Set("required", Node::Array({Node::Text("different_machines"), Node::Text("added"),
                                    Node::Text("removed"), Node::Text("changed")}));
}

}  // namespace

void PrintSchema() {
  Node defs = Node::Object();
  Node document = DocumentSchema(defs);
  Node diff = DiffSchema(defs);
  Node all = Node::Object();
  all.Set("document", std::move(document));
  all.Set("line", LineSchema());
  all.Set("diff", std::move(diff));
  all.Set("handle", Node::Object().Set("type", Node::Text("string"))
                        .Set("pattern", Node::Text("^0x[0-9A-F]{4}$"))
                        .Set("description", Node::Text("a structure's handle")));
  for (auto& member : defs.members) all.members.push_back(std::move(member));

  Node schema = Node::Object();
  schema.Set("$schema", Node::Text("https://json-schema.org/draft/2020-12/schema"));
  schema.Set("title", Node::Text("tarnlix " TARNLIX_VERSION " /JSON"));
  schema.Set("description",
             Node::Text("The /JSON document of one table. $defs: line, a line of /JSON over "
                        "several tables; diff, the /DIFF: /JSON document. A key is never "
                        "renamed or retyped; new keys may appear."));
  schema.Set("$ref", Node::Text("#/$defs/document"));
  schema.Set("$defs", std::move(all));
  TextBuffer out;
  schema.Write(out, 0);
  out.Append('\n');
  WriteOut(out.view());
}

}  // namespace tarnlix
