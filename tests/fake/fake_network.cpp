#include "fake/fake_network.h"

#include <algorithm>
#include <cstring>

#include "net/network_info.h"

namespace tarnlix::fake {

namespace {

constexpr uint32_t kErrorInvalidParameter = 87;

void Fill(char* field, size_t size, const std::string& text) {
  std::memcpy(field, text.data(), std::min(size, text.size()));
}

}  // namespace

uint32_t FakeNetwork::NeededSize() const {
  size_t extra = dnsServers.size() > 1 ? dnsServers.size() - 1 : 0;
  return static_cast<uint32_t>(sizeof(FixedNetworkInfo) +
                               extra * sizeof(IpAddressEntry));
}

uint32_t FakeNetwork::GetNetworkParams(ProcAddress entry, void* buffer,
                                       uint32_t* size) {
  if (size == nullptr) return kErrorInvalidParameter;
  calls.push_back({entry, buffer != nullptr, *size});
  if (buffer == nullptr) {
    *size = sizeAnswer ? *sizeAnswer : NeededSize();
    return sizeQueryResult ? *sizeQueryResult : kErrorBufferOverflow;
  }
  if (fetchResult) return *fetchResult;
  if (*size < NeededSize()) {
    *size = NeededSize();
    return kErrorBufferOverflow;
  }

  auto* bytes = static_cast<uint8_t*>(buffer);
  std::memset(bytes, 0, NeededSize());
  FixedNetworkInfo fixed{};
  Fill(fixed.hostName, sizeof fixed.hostName, hostName);
  Fill(fixed.domainName, sizeof fixed.domainName, domainName);
  fixed.nodeType = nodeType;
  fixed.enableRouting = enableRouting;
  fixed.enableProxy = enableProxy;
  fixed.enableDns = enableDns;

  // Entries after the first follow the record, each linked from the one
  // before, as the real service lays them out.
  std::vector<IpAddressEntry> entries(std::max<size_t>(dnsServers.size(), 1));
  for (size_t i = 0; i < entries.size(); ++i) {
    entries[i] = IpAddressEntry{};
    if (i < dnsServers.size()) {
      Fill(entries[i].address, sizeof entries[i].address, dnsServers[i]);
    }
    if (i + 1 < entries.size()) {
      entries[i].next = reinterpret_cast<IpAddressEntry*>(
          bytes + sizeof(FixedNetworkInfo) + i * sizeof(IpAddressEntry));
    }
  }
  if (secondLinkFromEnd) {
    uintptr_t end = reinterpret_cast<uintptr_t>(bytes) + *size;
    entries[0].next = reinterpret_cast<IpAddressEntry*>(
        end + static_cast<uintptr_t>(*secondLinkFromEnd));
  }
  fixed.dnsServerList = entries[0];
  std::memcpy(bytes, &fixed, sizeof fixed);
  for (size_t i = 1; i < entries.size(); ++i) {
    std::memcpy(bytes + sizeof(FixedNetworkInfo) + (i - 1) * sizeof(IpAddressEntry),
                &entries[i], sizeof(IpAddressEntry));
  }
  return 0;
}

}  // namespace tarnlix::fake
