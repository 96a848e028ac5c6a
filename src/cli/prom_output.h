// "/PROM": the inventory in the Prometheus text exposition format (0.0.4),
// for the textfile collectors of node_exporter and windows_exporter.
#pragma once

#include <string>
#include <vector>

#include "cli/run.h"
#include "smbios/reader.h"

namespace tarnlix {

// The exposition of the loaded table: gauges named tarnlix_*, info metrics
// of value 1 whose labels carry the texts, no timestamps. The same table
// always gives the same bytes. With a baseline, also how many structures of
// each group were added, removed or changed since it was saved.
std::string PromExposition(const SmbiosReader& reader, const SmbiosReader* baseline = nullptr,
                           bool* changed = nullptr);

// Every field the exposition reads, by its selector, whether a gauge reads
// its whole number, and the structure type it is read from (-1: its own):
// a test checks that each one is a field of that type.
struct PromField {
  const char* selector;
  bool number;
  int type;
};
std::vector<PromField> PromFields();

// Writes it, with LF line ends on every system; returns the exit code: with
// a baseline, kExitChanged when anything differs from it.
int PrintProm(const SmbiosReader& reader, const SmbiosReader* baseline = nullptr);

}  // namespace tarnlix
