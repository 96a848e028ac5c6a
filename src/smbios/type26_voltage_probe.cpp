// SMBIOS 3.9, 7.27 Voltage Probe (Type 26)
#include "acquire/bytes.h"
#include "smbios/field_tables.h"

namespace tarnlix {

namespace {

// Voltages and currents in thousandths (mV, mA), their resolution in
// tenths of a thousandth; temperatures in tenths of a degree, their
// resolution in thousandths.
constexpr ProbeRows kVoltageProbe = MakeProbeRows(
    {26, &names::kVoltageProbeLocation, "V", "mV", Reading<3, true>, Reading<1, false>},
    {"/VOLTPROBEDESC", "/VOLTPROBELOCATION", "/VOLTPROBESTATUS", "/VOLTPROBEMAX",
     "/VOLTPROBEMIN", "/VOLTPROBERESOLUTION", "/VOLTPROBETOLERANCE", "/VOLTPROBEACCURACY",
     "/VOLTPROBEOEM", "/VOLTPROBENOMINAL"});

// The strings no field names, as the earlier reports showed them.
constexpr PlaceLabel kVoltageProbePlaces[] = {{1, "Description"}};

}  // namespace

extern const StructureGroup kType26Group{
    .selector = "/VOLTPROBE", .type = 26, .heading = "Voltage Probe",
    .what = "voltage probe",
    .rows = kVoltageProbe.rows, .rowCount = kProbeRowCount, .places = kVoltageProbePlaces,
    .placeCount = std::size(kVoltageProbePlaces)};

}  // namespace tarnlix
