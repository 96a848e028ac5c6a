#pragma once

namespace tarnlix {

// Rewrites an SMBIOS release date, m/d/y with '/' or '-', one or two digit
// month and day and a two or four digit year, as yyyy/mm/dd. A two-digit
// year yy is 19yy. Any other text is returned unchanged; null and empty give
// null. The rewritten text lives in a buffer of the formatter that stays
// valid until its next call.
const char* FormatIsoDate(const char* date);

}  // namespace tarnlix
