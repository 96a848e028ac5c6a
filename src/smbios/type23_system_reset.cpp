// SMBIOS 3.9, 7.24 System Reset (Type 23)
#include "acquire/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

inline constexpr CodeName kEnabledEntries[] = {{0, "Disabled"}, {1, "Enabled"}};

inline constexpr NameTable kEnabledNames{kEnabledEntries, 2};

inline constexpr CodeName kPresentEntries[] = {{1, "Present"}};

inline constexpr NameTable kPresentNames{kPresentEntries, 1};

// dmidecode reads nothing of a structure shorter than the whole. Without a
// watchdog it shows only the first two, but the rest keep their meaning.
constexpr FieldRow kResetRows[] = {
    {.selector = "/RESETSTATUS", .type = 23, .decode = FieldDecode::Name, .at = 0x04,
     .since = 0x0D, .name = "Status", .names = &kEnabledNames, .mask = 0x01},
    {.selector = "/RESETWATCHDOG", .type = 23, .decode = FieldDecode::Name, .at = 0x04,
     .since = 0x0D, .name = "Watchdog Timer", .names = &kPresentNames, .shift = 5,
     .mask = 0x01},
    {.selector = "/RESETBOOTOPTION", .type = 23, .decode = FieldDecode::Name, .at = 0x04,
     .since = 0x0D, .name = "Boot Option", .names = &names::kSystemResetBootOption,
     .shift = 1, .mask = 0x03},
    {.selector = "/RESETLIMITOPTION", .type = 23, .decode = FieldDecode::Name, .at = 0x04,
     .since = 0x0D, .name = "Boot Option On Limit", .names = &names::kSystemResetBootOption,
     .shift = 3, .mask = 0x03},
    {.selector = "/RESETCOUNT", .type = 23, .decode = FieldDecode::Number, .at = 0x05,
     .size = 2, .since = 0x0D, .name = "Reset Count", .kind = FieldKind::Number,
     .none = kNoneIfAllOnes, .varies = true},
    {.selector = "/RESETLIMIT", .type = 23, .decode = FieldDecode::Number, .at = 0x07,
     .size = 2, .since = 0x0D, .name = "Reset Limit", .kind = FieldKind::Number,
     .none = kNoneIfAllOnes},
    {.selector = "/RESETINTERVAL", .type = 23, .decode = FieldDecode::Number, .at = 0x09,
     .size = 2, .since = 0x0D, .name = "Timer Interval", .unit = "min",
     .kind = FieldKind::Number, .none = kNoneIfAllOnes},
    {.selector = "/RESETTIMEOUT", .type = 23, .decode = FieldDecode::Number, .at = 0x0B,
     .size = 2, .since = 0x0D, .name = "Timeout", .unit = "min", .kind = FieldKind::Number,
     .none = kNoneIfAllOnes},
};

}  // namespace

extern const StructureGroup kType23Group{
    .selector = "/RESET", .type = 23, .heading = "System Reset",
    .what = "system reset",
    .rows = kResetRows, .rowCount = std::size(kResetRows)};

}  // namespace tarnlix
