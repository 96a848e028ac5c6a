#include "net/network_info.h"

#include <cstdlib>
#include <initializer_list>

namespace tarnlix {

int16_t GetNetworkInfo(NetworkInfo* info) {
  if (info == nullptr) return 1;
  FreeNetworkInfo(info);
  return 2;
}

void FreeNetworkInfo(NetworkInfo* info) {
  for (char** text : {&info->hostName, &info->domainName, &info->dnsServer1,
                      &info->dnsServer2, &info->dnsServer3}) {
    std::free(*text);
  }
  *info = NetworkInfo{};
}

}  // namespace tarnlix
