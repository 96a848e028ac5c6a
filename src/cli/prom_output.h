// "/PROM": the inventory in the Prometheus text exposition format (0.0.4),
// for the textfile collectors of node_exporter and windows_exporter.
#pragma once

#include <string>

#include "cli/run.h"
#include "smbios/reader.h"

namespace tarnlix {

// The exposition of the loaded table: gauges named tarnlix_*, info metrics
// of value 1 whose labels carry the texts, no timestamps. The same table
// always gives the same bytes.
std::string PromExposition(const SmbiosReader& reader);

// Writes it, with LF line ends on every system; returns the exit code.
int PrintProm(const SmbiosReader& reader);

}  // namespace tarnlix
