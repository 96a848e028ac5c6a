// "/DIFF:": what changed between the table read and a saved one.
#pragma once

#include "cli/run.h"
#include "smbios/reader.h"

namespace tarnlix {

// Prints the differences: one line each (the group, the structure's name,
// then "added", "removed" or the field's selector with its old and new
// value), or under /JSON one document of the structures added and removed
// and the fields changed. Returns kExitChanged when anything differs, else
// kExitSuccess.
int PrintDiff(const SmbiosReader& saved, const SmbiosReader& now, const OutputOptions& options);

}  // namespace tarnlix
