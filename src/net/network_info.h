// The workstation's name and DNS settings from the IP configuration service.
#pragma once

#include <cstdint>

namespace tarnlix {

struct NetworkInfo {
  char* hostName = nullptr;
  char* domainName = nullptr;
  char* dnsServer1 = nullptr;
  char* dnsServer2 = nullptr;
  char* dnsServer3 = nullptr;
  uint32_t nodeType = 0;
  uint32_t enableRouting = 0;
  uint32_t enableProxy = 0;
  uint32_t enableDns = 0;
};

// Fills info; returns 0 on success or a failure code from 1 to 7.
int16_t GetNetworkInfo(NetworkInfo* info);

// Frees the strings of info and clears it.
void FreeNetworkInfo(NetworkInfo* info);

}  // namespace tarnlix
