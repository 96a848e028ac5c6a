// IP configuration from Linux's own sources (not yet available).
#include "platform/linux/linux_platform.h"

namespace tarnlix::linux_backend {

uint32_t LinuxNetwork::GetNetworkParams(ProcAddress, void*, uint32_t*) {
  constexpr uint32_t kErrorNotSupported = 50;
  return kErrorNotSupported;
}

}  // namespace tarnlix::linux_backend
