// IP configuration from Linux's own sources, in the record layout the
// Windows service fills: the host name as the kernel knows it, the DNS domain
// and the name servers the resolver is configured with.
#include <arpa/inet.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/linux/linux_platform.h"

namespace tarnlix::linux_backend {

namespace {

constexpr uint32_t kErrorInvalidParameter = 87;
constexpr uint32_t kErrorNotSupported = 50;

// resolv.conf is a few lines; anything past this is not a resolver setting
// worth reading.
constexpr size_t kResolvConfLimit = 64 * 1024;

struct ResolverSettings {
  std::string domain;  // from the last "domain" or "search" line
  std::vector<std::string> nameServers;
};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// The first word after keyword when line starts with it, as the resolver
// reads its configuration: the keyword in the first column, then blanks.
bool Keyword(const std::string& line, const char* keyword, std::string* word) {
  size_t length = std::strlen(keyword);
  if (line.compare(0, length, keyword) != 0 || line.size() == length ||
      !IsBlank(line[length])) {
    return false;
  }
  size_t start = length;
  while (start < line.size() && IsBlank(line[start])) ++start;
  size_t end = start;
  while (end < line.size() && !IsBlank(line[end])) ++end;
  *word = line.substr(start, end - start);
  return true;
}

// A missing or unreadable file gives no settings; it is not a failure.
ResolverSettings ReadResolverSettings(const std::string& path) {
  ResolverSettings settings;
  FileReadResult file = LinuxSystem().ReadFile(path, kResolvConfLimit);
  if (!file.ok) return settings;
  std::string text(file.bytes.begin(), file.bytes.end());
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    std::string word;
    if (Keyword(line, "nameserver", &word)) {
      // The Windows list holds IPv4 servers only, in a 16-byte text; an IPv6
      // server cut to fit would be a wrong address, so it is left out.
      in_addr address{};
      if (::inet_pton(AF_INET, word.c_str(), &address) == 1) {
        settings.nameServers.push_back(word);
      }
    } else if (Keyword(line, "domain", &word) ||
               Keyword(line, "search", &word)) {
      // The two keywords replace each other; the last one in the file with
      // a value wins.
      if (!word.empty()) settings.domain = word;
    }
  }
  return settings;
}

// True when text and its terminating zero fit a field of size bytes.
bool Fits(const std::string& text, size_t size) { return text.size() < size; }

void Put(char* field, const std::string& text) {
  std::memcpy(field, text.c_str(), text.size() + 1);
}

}  // namespace

bool LinuxNetwork::KernelHostName(std::string* name) {
  char buffer[256] = {};
  if (::gethostname(buffer, sizeof buffer - 1) != 0) return false;
  *name = buffer;
  return true;
}

bool LinuxNetwork::KernelDomainName(std::string* name) {
  char buffer[256] = {};
  if (::getdomainname(buffer, sizeof buffer - 1) != 0) return false;
  *name = buffer;
  return true;
}

uint32_t LinuxNetwork::GetNetworkParams(ProcAddress, void* buffer,
                                        uint32_t* size) {
  if (size == nullptr) return kErrorInvalidParameter;
  std::string kernelName;
  if (!KernelHostName(&kernelName)) return kErrorNotSupported;

  // Windows reports the host name unqualified; a kernel name set to the full
  // name carries the machine's DNS domain after its first dot.
  std::string hostName = kernelName.substr(0, kernelName.find('.'));
  std::string qualifier;
  if (kernelName.find('.') != std::string::npos) {
    qualifier = kernelName.substr(kernelName.find('.') + 1);
  }
  // The kernel allows 64 bytes; the field holds 131, so this never cuts.
  if (!Fits(hostName, kHostNameSize)) hostName.resize(kHostNameSize - 1);

  ResolverSettings resolver = ReadResolverSettings(resolvConf_);
  // The machine's own setting first, then the resolver's. "(none)" is how the
  // kernel shows an unset domain name, not a domain.
  std::string kernelDomain;
  if (!KernelDomainName(&kernelDomain) || kernelDomain == "(none)") {
    kernelDomain.clear();
  }
  // A domain too long for the field is skipped rather than cut short.
  std::string domainName;
  for (const std::string* candidate : {&qualifier, &kernelDomain,
                                       &resolver.domain}) {
    if (!candidate->empty() && Fits(*candidate, kDomainNameSize)) {
      domainName = *candidate;
      break;
    }
  }

  const std::vector<std::string>& servers = resolver.nameServers;
  size_t extra = servers.size() > 1 ? servers.size() - 1 : 0;
  uint64_t needed =
      sizeof(FixedNetworkInfo) + uint64_t{extra} * sizeof(IpAddressEntry);
  if (needed > UINT32_MAX) return kErrorNotSupported;
  if (buffer == nullptr || *size < needed) {
    *size = static_cast<uint32_t>(needed);
    return kErrorBufferOverflow;
  }

  // Written through copies: the caller's buffer need not be aligned for the
  // record, only large enough.
  auto* bytes = static_cast<uint8_t*>(buffer);
  std::memset(bytes, 0, static_cast<size_t>(needed));
  FixedNetworkInfo fixed{};
  Put(fixed.hostName, hostName);
  Put(fixed.domainName, domainName);
  // An empty inline entry when no server is configured, as Windows reports.
  if (!servers.empty()) Put(fixed.dnsServerList.address, servers[0]);
  IpAddressEntry* previous = &fixed.dnsServerList;
  std::vector<IpAddressEntry> more(extra);
  for (size_t i = 0; i < extra; ++i) {
    more[i] = IpAddressEntry{};
    Put(more[i].address, servers[i + 1]);
    previous->next = reinterpret_cast<IpAddressEntry*>(
        bytes + sizeof(FixedNetworkInfo) + i * sizeof(IpAddressEntry));
    previous = &more[i];
  }
  std::memcpy(bytes, &fixed, sizeof fixed);
  for (size_t i = 0; i < extra; ++i) {
    std::memcpy(bytes + sizeof(FixedNetworkInfo) + i * sizeof(IpAddressEntry),
                &more[i], sizeof(IpAddressEntry));
  }
  return 0;
}

}  // namespace tarnlix::linux_backend
