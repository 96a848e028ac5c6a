// IP configuration service: GetNetworkParams of IPHlpApi.DLL, reached through
// the address the caller resolved, writing straight into the caller's buffer.
#include <windows.h>
#include <iphlpapi.h>

#include <cstddef>

#include "platform/win32/win32_platform.h"

namespace tarnlix::win32 {

namespace {

// The buffer is handed to the service as it stands, so the record the core
// reads must be FIXED_INFO to the byte.
#define TARNLIX_SAME_OFFSET(ours, theirs)                      \
  static_assert(offsetof(FixedNetworkInfo, ours) ==            \
                    offsetof(FIXED_INFO, theirs),              \
                "FixedNetworkInfo::" #ours " is misplaced")
static_assert(sizeof(FixedNetworkInfo) == sizeof(FIXED_INFO),
              "FixedNetworkInfo must be FIXED_INFO");
TARNLIX_SAME_OFFSET(hostName, HostName);
TARNLIX_SAME_OFFSET(domainName, DomainName);
TARNLIX_SAME_OFFSET(currentDnsServer, CurrentDnsServer);
TARNLIX_SAME_OFFSET(dnsServerList, DnsServerList);
TARNLIX_SAME_OFFSET(nodeType, NodeType);
TARNLIX_SAME_OFFSET(scopeId, ScopeId);
TARNLIX_SAME_OFFSET(enableRouting, EnableRouting);
TARNLIX_SAME_OFFSET(enableProxy, EnableProxy);
TARNLIX_SAME_OFFSET(enableDns, EnableDns);
#undef TARNLIX_SAME_OFFSET

static_assert(sizeof(IpAddressEntry) == sizeof(IP_ADDR_STRING),
              "IpAddressEntry must be IP_ADDR_STRING");
static_assert(offsetof(IpAddressEntry, address) ==
                  offsetof(IP_ADDR_STRING, IpAddress),
              "IpAddressEntry::address is misplaced");
static_assert(offsetof(IpAddressEntry, mask) ==
                  offsetof(IP_ADDR_STRING, IpMask),
              "IpAddressEntry::mask is misplaced");
static_assert(offsetof(IpAddressEntry, context) ==
                  offsetof(IP_ADDR_STRING, Context),
              "IpAddressEntry::context is misplaced");

using GetNetworkParamsFn = DWORD(WINAPI*)(PFIXED_INFO, PULONG);

}  // namespace

uint32_t Win32Network::GetNetworkParams(ProcAddress entry, void* buffer,
                                        uint32_t* size) {
  if (entry == nullptr || size == nullptr) return ERROR_INVALID_PARAMETER;
  auto call = reinterpret_cast<GetNetworkParamsFn>(entry);
  ULONG count = *size;
  DWORD result = call(static_cast<PFIXED_INFO>(buffer), &count);
  *size = count;
  return result;
}

}  // namespace tarnlix::win32
