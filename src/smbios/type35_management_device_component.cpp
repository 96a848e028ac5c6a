// SMBIOS 3.9, 7.36 Management Device Component (Type 35)
#include "acquire/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

constexpr FieldRow kManagementComponentRows[] = {
    {.selector = "/MGMTCOMPONENTDESC", .type = 35, .decode = FieldDecode::String, .at = 0x04,
     .name = "Description", .identifies = true},
    {.selector = "/MGMTCOMPONENTDEVICE", .type = 35, .decode = FieldDecode::Handle, .at = 0x05,
     .size = 2, .name = "Management Device Handle"},
    {.selector = "/MGMTCOMPONENTHANDLE", .type = 35, .decode = FieldDecode::Handle, .at = 0x07,
     .size = 2, .name = "Component Handle"},
    // All ones: the component has no thresholds.
    {.selector = "/MGMTCOMPONENTTHRESHOLD", .type = 35, .decode = FieldDecode::Handle,
     .at = 0x09, .size = 2, .name = "Threshold Handle", .none = kNoneIfAllOnes},
};

}  // namespace

extern const StructureGroup kType35Group{
    .selector = "/MGMTCOMPONENT", .type = 35, .heading = "Management Device Component",
    .what = "management device component",
    .rows = kManagementComponentRows, .rowCount = std::size(kManagementComponentRows)};

}  // namespace tarnlix
