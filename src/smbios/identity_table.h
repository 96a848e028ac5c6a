// A table made of the system's record of the machine's identity, for a
// system that keeps one apart from the firmware's table.
#pragma once

#include <vector>

#include "acquire/raw_table.h"
#include "platform/platform.h"

namespace tarnlix {

// One structure for each type the record's fields belong to, in type order,
// each as long as its fields need and each field where its row says, then
// the end of the table; a header-form table of no version, released as the
// registry copy it stands in for. Null when a block cannot be had.
RawTablePtr BuildIdentityTable(const std::vector<IdentityText>& identity);

}  // namespace tarnlix
