// "/SCHEMA": the JSON Schema of the documents /JSON and /DIFF: write,
// made from the field rows, so that it says what the tool writes.
#pragma once

namespace tarnlix {

// Prints the schema (draft 2020-12): the /JSON document at its root, and
// in its $defs the line of a run over several tables ("line") and the
// /DIFF: document ("diff").
void PrintSchema();

}  // namespace tarnlix
