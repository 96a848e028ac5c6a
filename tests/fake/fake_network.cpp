#include "fake/fake_network.h"

namespace tarnlix::fake {

uint32_t FakeNetwork::GetNetworkParams(ProcAddress, void*, uint32_t*) {
  return 50;
}

}  // namespace tarnlix::fake
