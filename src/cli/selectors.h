// The selector table and the field output of a run.
#pragma once

#include <vector>

#include "cli/run.h"
#include "smbios/reader.h"

namespace tarnlix {

enum class SelectorKind { HostName, Group, Field };

using FieldAccessor = const char* (SmbiosReader::*)() const;

struct SelectorRow {
  const char* text;
  SelectorKind kind;
  FieldAccessor accessor;     // Field rows
  FieldAccessor isoAccessor;  // Field rows whose form "/ISO" changes
  int groupType;              // Group rows
};

// The row whose switch text equals selector ignoring ASCII case, or null.
const SelectorRow* FindSelector(const char* selector);

// Every row, in table order.
const std::vector<SelectorRow>& SelectorTable();

enum class SelectorOutcome { Completed, GroupEnded };

// Prints the selectors' values in order with the separators the options
// choose. A "/NAME" lookup stores its result code in *runResult.
SelectorOutcome PrintSelectors(const SmbiosReader& reader,
                               const OutputOptions& options,
                               const std::vector<const char*>& selectors,
                               int* runResult);

}  // namespace tarnlix
