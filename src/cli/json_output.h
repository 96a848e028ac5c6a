// "/JSON": the inventory, or the selected values, as one JSON document.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cli/run.h"
#include "cli/selectors.h"
#include "smbios/reader.h"
#include "smbios/text_buffer.h"

namespace tarnlix {

// Appends text as a JSON string. Firmware strings carry no declared
// encoding: valid UTF-8 is kept as it is, anything else is read as Latin-1,
// one character per byte, so nothing is lost and the output is UTF-8.
void AppendJsonString(TextBuffer& out, std::string_view text);
void AppendJsonString(std::string& out, const char* text);

// Writes the document: the whole inventory when no field or group selector
// (or "/ALL") is given, otherwise one key per distinct selector. With a
// file, the document stands on one line (JSON Lines), its first member
// "FILE". Returns the run result: the code of a "/NAME" selector's lookup,
// else 0.
int PrintJson(const SmbiosReader& reader, const OutputOptions& options,
              const std::vector<const char*>& selectors, const std::string* file = nullptr);
// The same with the selectors resolved already (ResolveSelectors), for a
// run over several tables.
int PrintJson(const SmbiosReader& reader, const OutputOptions& options,
              const std::vector<const char*>& selectors, const std::vector<Selection>& selections,
              const std::string* file);

// A value as every document writes it: null when absent, a number as its
// digits, a list as an array, anything else as a string.
void AppendJsonValue(TextBuffer& out, const FieldValue& value);

// The line of a file whose table cannot be read: "FILE" and "ERROR".
void PrintJsonRefusal(const std::string& file, const std::string& refusal);

}  // namespace tarnlix
