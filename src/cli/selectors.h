// The selector table and the field output of a run.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/run.h"
#include "smbios/fields.h"
#include "smbios/reader.h"

namespace tarnlix {

enum class SelectorKind { HostName, Group, Field };

struct SelectorRow {
  const char* text;
  SelectorKind kind;
  const FieldRow* field;  // Field rows
  int groupType;          // Group rows
  const TableGroup* tableGroup = nullptr;  // Group rows of the whole table
};

// The row whose switch text equals selector ignoring ASCII case, or null.
const SelectorRow* FindSelector(const char* selector);

// Every row, in table order: "/NAME", then each group switch followed by the
// fields of its structure type.
const std::vector<SelectorRow>& SelectorTable();

// A selector as typed: its row, and which structures of the row's type a
// field reads. A field takes ":N" (the N-th structure, from 1) or ":*"
// (every structure); anything else after the colon matches no row.
struct Selection {
  enum class Instances { First, One, All };
  std::optional<SelectorRow> row;  // none: unmatched
  Instances instances = Instances::First;
  size_t index = 0;  // from 0, for One
};
Selection ResolveSelector(const char* selector);
std::vector<Selection> ResolveSelectors(const std::vector<const char*>& selectors);

// How many values a field selection writes: one for a single structure, one
// per structure for ":*" (one absent value when there is none); and the k-th
// of them.
size_t SelectedCount(const SmbiosReader& reader, const Selection& selection);
void SelectedValue(const SmbiosReader& reader, const Selection& selection, size_t k, bool iso,
                   FieldValue& value);

// Writes a value as a selector prints it: a list's items separated by ", ";
// with csv, a double quote in it doubled.
void WriteValue(const FieldValue& value, bool csv);
void WriteText(std::string_view text, bool csv);

// Prints /FIELDS: one line per field selector, tab-separated: the selector,
// the structure type, the JSON group, dmidecode's name of the field, the
// unit of a number, the kind (text, number or list) and what /DIFF leaves
// out ("varies": it changes by itself; "handle": it refers to structures).
void PrintFieldList();

// Looks up the host name: the lookup's result code (0 on success), with the
// name in *name and *found set when there is one.
int LookUpHostName(std::string* name, bool* found);

// One line of a run over several tables: the file, then every value the
// selectors give (one per structure under ":*"), quoted and separated by
// commas under /CSV, else separated by tabs, then a line end. A table that
// could not be read (reader null) has refusal after its file instead.
void PrintTableLine(const SmbiosReader* reader, const OutputOptions& options,
                    const std::vector<Selection>& selections, const std::string& file,
                    const std::string& refusal, int* runResult);

enum class SelectorOutcome { Completed, GroupEnded };

// Prints the selectors' values in order with the separators the options
// choose. A "/NAME" lookup stores its result code in *runResult.
SelectorOutcome PrintSelectors(const SmbiosReader& reader,
                               const OutputOptions& options,
                               const std::vector<const char*>& selectors,
                               int* runResult);

}  // namespace tarnlix
