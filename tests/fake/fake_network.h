// Scripted IP configuration service.
#pragma once

#include "platform/platform.h"

namespace tarnlix::fake {

class FakeNetwork : public NetworkApi {
 public:
  uint32_t GetNetworkParams(ProcAddress entry, void* buffer,
                            uint32_t* size) override;
};

}  // namespace tarnlix::fake
