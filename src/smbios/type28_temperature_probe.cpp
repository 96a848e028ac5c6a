// SMBIOS 3.9, 7.29 Temperature Probe (Type 28)
#include "acquire/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

constexpr ProbeRows kTemperatureProbe = MakeProbeRows(
    {28, &names::kTemperatureProbeLocation, "deg C", "deg C", Reading<1, true>,
     Reading<3, false>},
    {"/TEMPPROBEDESC", "/TEMPPROBELOCATION", "/TEMPPROBESTATUS", "/TEMPPROBEMAX",
     "/TEMPPROBEMIN", "/TEMPPROBERESOLUTION", "/TEMPPROBETOLERANCE", "/TEMPPROBEACCURACY",
     "/TEMPPROBEOEM", "/TEMPPROBENOMINAL"});

}  // namespace

extern const StructureGroup kType28Group{
    .selector = "/TEMPPROBE", .type = 28, .heading = "Temperature Probe",
    .what = "temperature probe",
    .rows = kTemperatureProbe.rows, .rowCount = kProbeRowCount};

}  // namespace tarnlix
