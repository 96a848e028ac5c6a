// "/PROM": the inventory in the Prometheus text exposition format (0.0.4),
// for the textfile collectors of node_exporter and windows_exporter.
#pragma once

#include <string>

#include "cli/run.h"
#include "smbios/reader.h"

namespace tarnlix {

// The exposition of the loaded table: gauges named tarnlix_*, info metrics
// of value 1 whose labels carry the texts, no timestamps. The same table
// always gives the same bytes. With a baseline, also how many structures of
// each group were added, removed or changed since it was saved.
std::string PromExposition(const SmbiosReader& reader, const SmbiosReader* baseline = nullptr,
                           bool* changed = nullptr);

// Writes it, with LF line ends on every system; returns the exit code: with
// a baseline, kExitChanged when anything differs from it.
int PrintProm(const SmbiosReader& reader, const SmbiosReader* baseline = nullptr);

}  // namespace tarnlix
