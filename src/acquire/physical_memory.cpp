// Direct read of the table from physical memory (not yet available).
#include "acquire/raw_table.h"

namespace tarnlix {

RawTablePtr TarnlixDataNT2(uint32_t* size, int16_t* errorCode) {
  *size = 0;
  *errorCode = 1;
  return nullptr;
}

}  // namespace tarnlix
