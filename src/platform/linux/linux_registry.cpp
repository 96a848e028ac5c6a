#include "platform/linux/linux_platform.h"

namespace tarnlix::linux_backend {

// Linux keeps no registry: every key is missing.
long LinuxRegistry::RegOpenKeyExA(uintptr_t, const char*, uint32_t, uint32_t, KeyHandle*) {
  constexpr long kErrorFileNotFound = 2;
  return kErrorFileNotFound;
}

long LinuxRegistry::RegQueryValueExA(KeyHandle, const char*, uint32_t*, uint8_t*, uint32_t*) {
  constexpr long kErrorFileNotFound = 2;
  return kErrorFileNotFound;
}

long LinuxRegistry::RegCloseKey(KeyHandle) { return kErrorSuccess; }

}  // namespace tarnlix::linux_backend
