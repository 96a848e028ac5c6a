// Linux's names for the workstation, on prepared resolver files and fixed
// kernel names, read back through the lookup itself so that the record the
// lookup fills is the one a run prints from.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "fake/fake_platform.h"
#include "net/network_info.h"
#include "platform/linux/linux_platform.h"
#include "test_support.h"

namespace tarnlix {
namespace {

std::string Text(const char* value) {
  return value == nullptr ? "<null>" : std::string("\"") + value + "\"";
}

class FixedNames : public linux_backend::LinuxNetwork {
 public:
  FixedNames(std::string resolvConf, std::string host, std::string domain)
      : LinuxNetwork(std::move(resolvConf)),
        host_(std::move(host)),
        domain_(std::move(domain)) {}

 protected:
  bool KernelHostName(std::string* name) override {
    *name = host_;
    return !host_.empty();
  }
  bool KernelDomainName(std::string* name) override {
    *name = domain_;
    return true;
  }

 private:
  std::string host_;
  std::string domain_;
};

class LinuxNetworkTest : public ::testing::Test {
 protected:
  void WriteResolvConf(const std::string& text) { dir_.Write("resolv.conf", text); }

  // Runs the whole lookup with this backend as the service.
  int16_t Lookup(const std::string& host, const std::string& kernelDomain,
                 NetworkInfo* info) {
    fake::FakePlatform fake;
    FixedNames network(resolvConf_, host, kernelDomain);
    fake.platform.linuxNetwork = &network;
    int16_t code = GetNetworkInfo(info);
    EXPECT_EQ(fake.memory.live(), 0u);
    return code;
  }

  test::TempDir dir_;
  const std::string resolvConf_ = dir_.Path("resolv.conf");
};

TEST_F(LinuxNetworkTest, HostNameIsCutAtTheFirstDot) {
  WriteResolvConf("domain resolver.example\n");
  NetworkInfo info;
  ASSERT_EQ(Lookup("build7.lab.example.com", "(none)", &info), 0);
  EXPECT_EQ(Text(info.hostName), "\"build7\"");
  // The qualified name says which domain the machine is in.
  EXPECT_EQ(Text(info.domainName), "\"lab.example.com\"");
  FreeNetworkInfo(&info);
}

TEST_F(LinuxNetworkTest, DomainSources) {
  struct Case {
    const char* name;
    const char* kernelDomain;
    std::string resolvConf;
    const char* domain;
  };
  const std::string tooLong(254, 'x');
  const Case cases[] = {
      {"unset kernel domain is not a domain", "(none)", "", "\"\""},
      {"kernel domain", "nis.example", "domain resolver.example\n",
       "\"nis.example\""},
      {"domain line", "(none)", "domain resolver.example\n",
       "\"resolver.example\""},
      {"first search entry", "", "search a.example b.example\n",
       "\"a.example\""},
      {"last of domain and search wins", "(none)",
       "domain one.example\nsearch two.example three.example\n",
       "\"two.example\""},
      {"last of search and domain wins", "(none)",
       "search two.example\ndomain one.example\n", "\"one.example\""},
      {"keywords only in the first column", "(none)",
       "# domain commented.example\n domain indented.example\n"
       "domainname other.example\n",
       "\"\""},
      {"too long for a DNS name is not cut", "(none)",
       "domain " + tooLong + "\n", "\"\""},
      {"tabs and a Windows line end", "(none)", "domain\tcrlf.example\r\n",
       "\"crlf.example\""},
      {"a keyword without a value changes nothing", "(none)",
       "search kept.example\ndomain\t\ndomain \n", "\"kept.example\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteResolvConf(c.resolvConf);
    NetworkInfo info;
    ASSERT_EQ(Lookup("host", c.kernelDomain, &info), 0);
    EXPECT_EQ(Text(info.domainName), c.domain);
    FreeNetworkInfo(&info);
  }
}

TEST_F(LinuxNetworkTest, NameServersInFileOrder) {
  struct Case {
    const char* name;
    std::string resolvConf;
    std::vector<std::string> servers;  // as the lookup reports them
  };
  const Case cases[] = {
      {"none", "search example.com\n", {"\"\"", "<null>", "<null>"}},
      {"one", "nameserver 127.0.0.53\noptions edns0\n",
       {"\"127.0.0.53\"", "<null>", "<null>"}},
      {"three, with comments and an IPv6 server left out",
       "# nameserver 9.9.9.9\n"
       "nameserver 10.0.0.1\n"
       "nameserver 2001:4860:4860::8888\n"
       "nameserver\t10.0.0.2   # office\n"
       "; nameserver 9.9.9.10\n"
       "nameserver 255.255.255.255",
       {"\"10.0.0.1\"", "\"10.0.0.2\"", "\"255.255.255.255\""}},
      {"four, the fourth ignored",
       "nameserver 1.1.1.1\nnameserver 1.0.0.1\nnameserver 8.8.8.8\n"
       "nameserver 8.8.4.4\n",
       {"\"1.1.1.1\"", "\"1.0.0.1\"", "\"8.8.8.8\""}},
      {"not addresses", "nameserver\nnameserver localhost\n",
       {"\"\"", "<null>", "<null>"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteResolvConf(c.resolvConf);
    NetworkInfo info;
    ASSERT_EQ(Lookup("host", "", &info), 0);
    EXPECT_EQ((std::vector<std::string>{Text(info.dnsServer1),
                                        Text(info.dnsServer2),
                                        Text(info.dnsServer3)}),
              c.servers);
    EXPECT_EQ(info.nodeType, 0u);
    EXPECT_EQ(info.enableRouting, 0u);
    EXPECT_EQ(info.enableProxy, 0u);
    EXPECT_EQ(info.enableDns, 0u);
    FreeNetworkInfo(&info);
  }
}

TEST_F(LinuxNetworkTest, MissingResolverFileStillGivesTheHostName) {
  for (const std::string& path : {resolvConf_, dir_.path()}) {  // absent, directory
    SCOPED_TRACE(path);
    fake::FakePlatform fake;
    FixedNames network(path, "lonely", "(none)");
    fake.platform.linuxNetwork = &network;
    NetworkInfo info;
    ASSERT_EQ(GetNetworkInfo(&info), 0);
    EXPECT_EQ(Text(info.hostName), "\"lonely\"");
    EXPECT_EQ(Text(info.domainName), "\"\"");
    EXPECT_EQ(Text(info.dnsServer1), "\"\"");
    EXPECT_EQ(info.dnsServer2, nullptr);
    FreeNetworkInfo(&info);
  }
}

TEST_F(LinuxNetworkTest, GivesEveryServerAndNoNameWhenTheKernelHasNone) {
  WriteResolvConf(
      "nameserver 10.0.0.1\nnameserver 10.0.0.2\nnameserver 10.0.0.3\n"
      "nameserver 10.0.0.4\n");
  FixedNames network(resolvConf_, "host", "");
  HostIdentity identity;
  ASSERT_TRUE(network.ReadHostIdentity(&identity));
  EXPECT_EQ(identity.nameServers, (std::vector<std::string>{"10.0.0.1", "10.0.0.2",
                                                            "10.0.0.3", "10.0.0.4"}));

  // No host name from the kernel: the lookup itself failed, code 4, and the
  // record is left empty.
  NetworkInfo info;
  EXPECT_EQ(Lookup("", "", &info), 4);
  EXPECT_EQ(info.hostName, nullptr);
  EXPECT_EQ(info.dnsServer1, nullptr);
}

}  // namespace
}  // namespace tarnlix
