// Last-resort scan of the BIOS area (not yet available).
#include "acquire/raw_table.h"

namespace tarnlix {

RawTablePtr ScanBiosAreaForSmbiosTable() { return nullptr; }

}  // namespace tarnlix
