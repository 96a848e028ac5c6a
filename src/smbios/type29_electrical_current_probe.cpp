// SMBIOS 3.9, 7.30 Electrical Current Probe (Type 29)
#include "acquire/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

constexpr ProbeRows kCurrentProbe = MakeProbeRows(
    {29, &names::kCurrentProbeLocation, "A", "mA", Reading<3, true>, Reading<1, false>},
    {"/CURRENTPROBEDESC", "/CURRENTPROBELOCATION", "/CURRENTPROBESTATUS", "/CURRENTPROBEMAX",
     "/CURRENTPROBEMIN", "/CURRENTPROBERESOLUTION", "/CURRENTPROBETOLERANCE",
     "/CURRENTPROBEACCURACY", "/CURRENTPROBEOEM", "/CURRENTPROBENOMINAL"});

}  // namespace

extern const StructureGroup kType29Group{
    .selector = "/CURRENTPROBE", .type = 29, .heading = "Electrical Current Probe",
    .what = "electrical current probe",
    .rows = kCurrentProbe.rows, .rowCount = kProbeRowCount};

}  // namespace tarnlix
