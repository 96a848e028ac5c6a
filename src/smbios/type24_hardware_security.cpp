// SMBIOS 3.9, 7.25 Hardware Security (Type 24)
#include "acquire/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

constexpr FieldRow kSecurityRows[] = {
    {.selector = "/SECURITYPOWERON", .type = 24, .decode = FieldDecode::Name, .at = 0x04,
     .name = "Power-On Password Status", .names = &names::kHardwareSecurityStatus, .shift = 6,
     .mask = 0x03},
    {.selector = "/SECURITYKEYBOARD", .type = 24, .decode = FieldDecode::Name, .at = 0x04,
     .name = "Keyboard Password Status", .names = &names::kHardwareSecurityStatus, .shift = 4,
     .mask = 0x03},
    {.selector = "/SECURITYADMIN", .type = 24, .decode = FieldDecode::Name, .at = 0x04,
     .name = "Administrator Password Status", .names = &names::kHardwareSecurityStatus,
     .shift = 2, .mask = 0x03},
    {.selector = "/SECURITYRESET", .type = 24, .decode = FieldDecode::Name, .at = 0x04,
     .name = "Front Panel Reset Status", .names = &names::kHardwareSecurityStatus,
     .mask = 0x03},
};

}  // namespace

extern const StructureGroup kType24Group{
    .selector = "/SECURITY", .type = 24, .heading = "Hardware Security",
    .what = "hardware security",
    .rows = kSecurityRows, .rowCount = std::size(kSecurityRows)};

}  // namespace tarnlix
