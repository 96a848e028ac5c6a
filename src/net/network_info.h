// The workstation's name and DNS settings from the IP configuration service.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tarnlix {

// What the caller keeps: owned copies of the texts (heap strings made with
// newstr, freed with FreeNetworkInfo) and the four numbers as reported.
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

// Result codes of GetNetworkInfo.
constexpr int16_t kNetworkOk = 0;
constexpr int16_t kNetworkNoRecord = 1;
constexpr int16_t kNetworkNoLibrary = 2;
constexpr int16_t kNetworkNoEntryPoint = 3;
constexpr int16_t kNetworkSizeQueryFailed = 4;
constexpr int16_t kNetworkNoMemory = 5;
constexpr int16_t kNetworkSizeTooSmall = 6;
constexpr int16_t kNetworkFetchFailed = 7;

// Asks the IP configuration service (on Linux: the kernel's host name and
// the resolver's settings) for the machine's fixed network parameters and
// copies them into info. Returns 0 on success; 1 when info is null (left
// untouched); otherwise, with info cleared: 2 the library cannot be loaded,
// 3 it has no GetNetworkParams, 4 the size query failed (on Linux: the
// kernel gives no host name), 5 no memory for the answer, 6 the size asked
// for is below the record's, 7 the call with the buffer failed. Prints
// nothing.
int16_t GetNetworkInfo(NetworkInfo* info);

// Frees the strings of info and clears it.
void FreeNetworkInfo(NetworkInfo* info);

}  // namespace tarnlix
