// IP configuration service (not yet available).
#include <windows.h>

#include "platform/win32/win32_platform.h"

namespace tarnlix::win32 {

uint32_t Win32Network::GetNetworkParams(ProcAddress, void*, uint32_t*) {
  return ERROR_NOT_SUPPORTED;
}

}  // namespace tarnlix::win32
