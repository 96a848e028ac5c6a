// SMBIOS 3.9, 7.31 Out-of-Band Remote Access (Type 30)
#include "acquire/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

inline constexpr CodeName kEnabledEntries[] = {{0, "Disabled"}, {1, "Enabled"}};

inline constexpr NameTable kEnabledNames{kEnabledEntries, 2};

constexpr FieldRow kRemoteAccessRows[] = {
    {.selector = "/REMOTEACCESSMAN", .type = 30, .decode = FieldDecode::String, .at = 0x04,
     .name = "Manufacturer Name"},
    {.selector = "/REMOTEACCESSIN", .type = 30, .decode = FieldDecode::Name, .at = 0x05,
     .name = "Inbound Connection", .names = &kEnabledNames, .mask = 0x01},
    {.selector = "/REMOTEACCESSOUT", .type = 30, .decode = FieldDecode::Name, .at = 0x05,
     .name = "Outbound Connection", .names = &kEnabledNames, .shift = 1, .mask = 0x01},
};

}  // namespace

extern const StructureGroup kType30Group{
    .selector = "/REMOTEACCESS", .type = 30, .heading = "Out-of-band Remote Access",
    .what = "out-of-band remote access",
    .rows = kRemoteAccessRows, .rowCount = std::size(kRemoteAccessRows)};

}  // namespace tarnlix
