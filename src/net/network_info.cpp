#include "net/network_info.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "net/strings.h"
#include "platform/platform.h"

namespace tarnlix {

namespace {

constexpr const char* kLibraryName = "IPHlpApi.DLL";
constexpr const char* kEntryName = "GetNetworkParams";

// A text field of the answer, which need not be NUL-terminated when the
// text fills it: never read past the field.
std::string FieldText(const char* field, size_t size) {
  const void* end = std::memchr(field, '\0', size);
  return std::string(field, end != nullptr
                                ? static_cast<size_t>(
                                      static_cast<const char*>(end) - field)
                                : size);
}

// The entry a link points at, copied out of the answer. The service places
// every entry inside the buffer it was given; a link that leads anywhere
// else (or to an entry cut off by the buffer's end) ends the list rather
// than being followed into foreign memory.
bool EntryAt(const uint8_t* buffer, size_t size, const IpAddressEntry* link,
             IpAddressEntry* entry) {
  if (link == nullptr || size < sizeof(IpAddressEntry)) return false;
  uintptr_t start = reinterpret_cast<uintptr_t>(buffer);
  uintptr_t at = reinterpret_cast<uintptr_t>(link);
  if (at < start || at - start > size - sizeof(IpAddressEntry)) return false;
  std::memcpy(entry, buffer + (at - start), sizeof *entry);
  return true;
}

void Copy(char*& slot, const char* field, size_t size) {
  newstr(slot, FieldText(field, size).c_str());
}

// Linux's names, in the record as Windows fills it: the first server's
// address is empty when there is none, and there are at most three.
int16_t GetLinuxNetworkInfo(LinuxNetworkApi& network, NetworkInfo* info) {
  HostIdentity identity;
  // The kernel giving no name is the lookup itself failing, as the
  // service's first call does on Windows.
  if (!network.ReadHostIdentity(&identity)) return kNetworkSizeQueryFailed;
  newstr(info->hostName, identity.hostName.c_str());
  newstr(info->domainName, identity.domainName.c_str());
  const std::vector<std::string>& servers = identity.nameServers;
  newstr(info->dnsServer1, servers.empty() ? "" : servers[0].c_str());
  if (servers.size() > 1) newstr(info->dnsServer2, servers[1].c_str());
  if (servers.size() > 2) newstr(info->dnsServer3, servers[2].c_str());
  return kNetworkOk;
}

}  // namespace

int16_t GetNetworkInfo(NetworkInfo* info) {
  if (info == nullptr) return kNetworkNoRecord;
  // The record owns its strings; a record used before is emptied, not
  // leaked, so every call starts from the same cleared state.
  FreeNetworkInfo(info);
  if (LinuxNetworkApi* linuxNetwork = platform().linuxNetwork) {
    return GetLinuxNetworkInfo(*linuxNetwork, info);
  }

  ModuleApi& modules = *platform().modules;
  ModuleHandle library = modules.LoadLibraryA(kLibraryName);
  if (library == nullptr) return kNetworkNoLibrary;
  ProcAddress entry = modules.GetProcAddress(library, kEntryName);
  if (entry == nullptr) {
    modules.FreeLibrary(library);
    return kNetworkNoEntryPoint;
  }

  NetworkApi& network = *platform().network;
  uint32_t count = 0;
  uint32_t result = network.GetNetworkParams(entry, nullptr, &count);
  if (result != 0 && result != kErrorBufferOverflow) {
    modules.FreeLibrary(library);
    return kNetworkSizeQueryFailed;
  }

  MemoryApi& memory = *platform().memory;
  const uint32_t size = count;
  auto* buffer = static_cast<uint8_t*>(memory.HeapAlloc(size));
  if (buffer == nullptr) {
    modules.FreeLibrary(library);
    return kNetworkNoMemory;
  }
  if (size < sizeof(FixedNetworkInfo)) {
    memory.HeapFree(buffer);
    modules.FreeLibrary(library);
    return kNetworkSizeTooSmall;
  }
  // No retry with a larger buffer: the answer is read once.
  if (network.GetNetworkParams(entry, buffer, &count) != 0) {
    memory.HeapFree(buffer);
    modules.FreeLibrary(library);
    return kNetworkFetchFailed;
  }

  // Copied out rather than read in place: the buffer only promises the
  // allocator's alignment, and every later read stays within `size` bytes.
  FixedNetworkInfo fixed;
  std::memcpy(&fixed, buffer, sizeof fixed);
  Copy(info->hostName, fixed.hostName, sizeof fixed.hostName);
  Copy(info->domainName, fixed.domainName, sizeof fixed.domainName);
  const IpAddressEntry& first = fixed.dnsServerList;
  Copy(info->dnsServer1, first.address, sizeof first.address);
  IpAddressEntry second;
  if (EntryAt(buffer, size, first.next, &second)) {
    Copy(info->dnsServer2, second.address, sizeof second.address);
    IpAddressEntry third;
    if (EntryAt(buffer, size, second.next, &third)) {
      Copy(info->dnsServer3, third.address, sizeof third.address);
    }
  }
  info->nodeType = fixed.nodeType;
  info->enableRouting = fixed.enableRouting;
  info->enableProxy = fixed.enableProxy;
  info->enableDns = fixed.enableDns;

  memory.HeapFree(buffer);
  modules.FreeLibrary(library);
  return kNetworkOk;
}

void FreeNetworkInfo(NetworkInfo* info) {
  if (info == nullptr) return;
  for (char** text : {&info->hostName, &info->domainName, &info->dnsServer1,
                      &info->dnsServer2, &info->dnsServer3}) {
    std::free(*text);
  }
  *info = NetworkInfo{};
}

}  // namespace tarnlix
