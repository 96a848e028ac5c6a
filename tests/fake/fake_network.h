// Scripted IP configuration service: answers in the same buffer layout as the
// real one, and can be told to fail or misreport at each step.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace tarnlix::fake {

class FakeNetwork : public NetworkApi {
 public:
  uint32_t GetNetworkParams(ProcAddress entry, void* buffer,
                            uint32_t* size) override;

  // The size the answer needs: the record, then one entry per DNS server
  // after the first.
  uint32_t NeededSize() const;

  // What the machine reports. A text as long as its field, or longer, fills
  // the field without a terminating zero, as a careless service might.
  std::string hostName = "WORKSTATION";
  std::string domainName;
  std::vector<std::string> dnsServers = {"192.168.1.1"};
  uint32_t nodeType = 0;
  uint32_t enableRouting = 0;
  uint32_t enableProxy = 0;
  uint32_t enableDns = 0;

  // Scripted misbehaviour.
  std::optional<uint32_t> sizeQueryResult;  // returned by the size query
  std::optional<uint32_t> sizeAnswer;       // count stored by the size query
  std::optional<uint32_t> fetchResult;      // returned by the call with buffer
  // The link from the inline entry to the second one points this many bytes
  // from the end of the buffer (negative: before it) instead of to the entry.
  std::optional<long> secondLinkFromEnd;

  struct Call {
    ProcAddress entry;
    bool withBuffer;
    uint32_t sizeIn;
  };
  std::vector<Call> calls;
};

}  // namespace tarnlix::fake
