// The workstation's names from Linux's own sources: the host name as the
// kernel knows it, the DNS domain and the name servers the resolver is
// configured with.
#include <arpa/inet.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/linux/linux_platform.h"

namespace tarnlix::linux_backend {

namespace {

// The longest name DNS allows; a longer "domain" is not one.
constexpr size_t kLongestDomainName = 253;

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
      // The record holds IPv4 servers only, as Windows reports them; an IPv6
      // server is left out.
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

bool LinuxNetwork::ReadHostIdentity(HostIdentity* identity) {
  std::string kernelName;
  if (!KernelHostName(&kernelName)) return false;

  // The host name is reported unqualified; a kernel name set to the full
  // name carries the machine's DNS domain after its first dot.
  size_t dot = kernelName.find('.');
  identity->hostName = kernelName.substr(0, dot);
  std::string qualifier = dot == std::string::npos ? "" : kernelName.substr(dot + 1);

  ResolverSettings resolver = ReadResolverSettings(resolvConf_);
  // The machine's own setting first, then the resolver's. "(none)" is how the
  // kernel shows an unset domain name, not a domain.
  std::string kernelDomain;
  if (!KernelDomainName(&kernelDomain) || kernelDomain == "(none)") {
    kernelDomain.clear();
  }
  // A domain too long to be one is skipped rather than cut short.
  identity->domainName.clear();
  for (const std::string* candidate : {&qualifier, &kernelDomain, &resolver.domain}) {
    if (!candidate->empty() && candidate->size() <= kLongestDomainName) {
      identity->domainName = *candidate;
      break;
    }
  }
  identity->nameServers = std::move(resolver.nameServers);
  return true;
}

}  // namespace tarnlix::linux_backend
