// SMBIOS 3.9, 7.14 BIOS Language Information (Type 13)
#include "acquire/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

// Tables before 2.1 have no format flag.
bool LanguageFormat(const FieldRow&, const StructureView& s, FieldValue& value) {
  if (s.Before(2, 1)) return false;
  value.SetText(s.bytes[0x05] & 0x01 ? "Abbreviated" : "Long");
  return true;
}

constexpr FieldRow kLanguageRows[] = {
    {.selector = "/LANGUAGEFORMAT", .type = 13, .decode = FieldDecode::Special, .at = 0x05,
     .since = 0x16, .name = "Language Description Format", .special = LanguageFormat},
    {.selector = "/LANGUAGEINSTALLABLE", .type = 13, .decode = FieldDecode::Special, .at = 0x04,
     .since = 0x16, .name = "Installable Languages", .kind = FieldKind::List,
     .special = CountedStrings},
    {.selector = "/LANGUAGECURRENT", .type = 13, .decode = FieldDecode::String, .at = 0x15,
     .name = "Currently Installed Language"},
};

}  // namespace

extern const StructureGroup kType13Group{
    .selector = "/LANGUAGE", .type = 13, .heading = "BIOS Language",
    .what = "BIOS languages",
    .rows = kLanguageRows, .rowCount = std::size(kLanguageRows)};

}  // namespace tarnlix
