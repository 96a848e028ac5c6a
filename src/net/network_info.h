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

// The service's answer, laid out exactly as Windows' IP_ADDR_STRING and
// FIXED_INFO so the Windows backend can hand the caller's buffer straight to
// GetNetworkParams. Every backend fills this shape: the record first, then
// any further DNS server entries after it in the same buffer, linked through
// `next`.
constexpr size_t kHostNameSize = 128 + 4;
constexpr size_t kDomainNameSize = 128 + 4;
constexpr size_t kScopeIdSize = 256 + 4;
constexpr size_t kAddressTextSize = 16;  // dotted IPv4 text and its NUL

struct IpAddressEntry {
  IpAddressEntry* next;
  char address[kAddressTextSize];
  char mask[kAddressTextSize];
  uint32_t context;
};

struct FixedNetworkInfo {
  char hostName[kHostNameSize];
  char domainName[kDomainNameSize];
  IpAddressEntry* currentDnsServer;
  IpAddressEntry dnsServerList;  // the first entry, held inline
  uint32_t nodeType;
  char scopeId[kScopeIdSize];
  uint32_t enableRouting;
  uint32_t enableProxy;
  uint32_t enableDns;
};

// The Windows service refuses to work with anything that does not hold this
// record: 584 bytes with 32-bit pointers, 600 with 64-bit ones (the links
// grow, and the record is padded to their alignment).
static_assert(sizeof(FixedNetworkInfo) == (sizeof(void*) == 4 ? 584 : 600),
              "FIXED_INFO is 584 bytes with 32-bit pointers, 600 with 64-bit");

// Asks the IP configuration service for the machine's fixed network
// parameters and copies them into info. Returns 0 on success; 1 when info
// is null (left untouched); otherwise, with info cleared: 2 the library
// cannot be loaded, 3 it has no GetNetworkParams, 4 the size query failed,
// 5 no memory for the answer, 6 the size asked for is below the record's,
// 7 the call with the buffer failed. Prints nothing.
int16_t GetNetworkInfo(NetworkInfo* info);

// Frees the strings of info and clears it.
void FreeNetworkInfo(NetworkInfo* info);

}  // namespace tarnlix
