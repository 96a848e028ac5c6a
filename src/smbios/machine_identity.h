// Which machine a table is of. Firmware often leaves placeholders where the
// maker, model and serial belong ("To Be Filled By O.E.M."), and a virtual
// machine names its hypervisor in its vendor strings. Both lists are data
// (src/smbios/names/machine-*.tsv, made into C++ at build time); the rules
// that use them are the MACHINE group's rows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tarnlix {

// How a list's text matches a value.
enum class TextMatch : uint8_t {
  Value,   // the whole value, letter case ignored
  Prefix,  // the value begins with the text, letter case as written
  Suffix,  // the value ends with the text, letter case as written
};

struct TextPattern {
  TextMatch match;
  std::string_view text;
};

// A field whose value, matched, tells that the table is a virtual
// machine's, and of which hypervisor; an empty hypervisor tells that it is
// not (a bare-metal cloud instance named after its cloud).
struct HypervisorMark {
  uint8_t field;  // its place in kHypervisorFields
  TextPattern pattern;
  const char* hypervisor;
};

extern const TextPattern kPlaceholders[];
extern const size_t kPlaceholderCount;
// The selectors of the fields the marks read, each once: fields of the first
// structure of their type. No more than kMaxHypervisorFields (the build
// refuses more).
constexpr size_t kMaxHypervisorFields = 8;
extern const char* const kHypervisorFields[];
extern const size_t kHypervisorFieldCount;
// In the order they are tried: the first that matches decides.
extern const HypervisorMark kHypervisorMarks[];
extern const size_t kHypervisorMarkCount;

bool Matches(const TextPattern& pattern, std::string_view value);
// Whether a value is a placeholder, which names no machine.
bool IsPlaceholder(std::string_view value);

}  // namespace tarnlix
