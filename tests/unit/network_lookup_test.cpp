// The host-name lookup against the scripted IP configuration service: the
// result code and the record's state for every way the lookup can end, and
// that the library and the answer's buffer never outlive a call.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake/fake_platform.h"
#include "net/network_info.h"
#include "net/strings.h"

namespace tarnlix {
namespace {

std::string Text(const char* value) {
  return value == nullptr ? "<null>" : std::string("\"") + value + "\"";
}

// A record holding owned strings and numbers, as left by an earlier lookup.
NetworkInfo UsedRecord() {
  NetworkInfo info;
  newstr(info.hostName, "OLD");
  newstr(info.domainName, "old.example");
  newstr(info.dnsServer1, "10.0.0.1");
  newstr(info.dnsServer2, "10.0.0.2");
  newstr(info.dnsServer3, "10.0.0.3");
  info.nodeType = info.enableRouting = info.enableProxy = info.enableDns = 9;
  return info;
}

void ExpectCleared(const NetworkInfo& info) {
  EXPECT_EQ(info.hostName, nullptr);
  EXPECT_EQ(info.domainName, nullptr);
  EXPECT_EQ(info.dnsServer1, nullptr);
  EXPECT_EQ(info.dnsServer2, nullptr);
  EXPECT_EQ(info.dnsServer3, nullptr);
  EXPECT_EQ(info.nodeType, 0u);
  EXPECT_EQ(info.enableRouting, 0u);
  EXPECT_EQ(info.enableProxy, 0u);
  EXPECT_EQ(info.enableDns, 0u);
}

// Nothing obtained during the call is still held after it.
void ExpectReleased(const fake::FakePlatform& fake) {
  EXPECT_EQ(fake.modules.loaded, 0);
  EXPECT_EQ(fake.memory.live(), 0u);
  EXPECT_EQ(fake.memory.mismatchedReleases, 0);
}

TEST(NetworkLookup, NullRecordIsRefusedBeforeAnythingIsLoaded) {
  fake::FakePlatform fake;
  EXPECT_EQ(GetNetworkInfo(nullptr), 1);
  EXPECT_TRUE(fake.modules.calls.empty());
  EXPECT_TRUE(fake.network.calls.empty());
}

struct FailureCase {
  const char* name;
  int expectedCode;
  void (*script)(fake::FakePlatform&);
};

const FailureCase kFailures[] = {
    {"library missing", 2,
     [](fake::FakePlatform& f) { f.modules.missingLibraries = {"IPHlpApi.DLL"}; }},
    {"entry point missing", 3,
     [](fake::FakePlatform& f) { f.modules.missingEntries = {"GetNetworkParams"}; }},
    {"size query error", 4,
     [](fake::FakePlatform& f) { f.network.sizeQueryResult = 87; }},
    {"allocation fails", 5,
     [](fake::FakePlatform& f) { f.memory.failAllocation = 1; }},
    {"size below the record", 6,
     [](fake::FakePlatform& f) {
       f.network.sizeAnswer = sizeof(FixedNetworkInfo) - 1;
     }},
    {"zero size", 6,
     [](fake::FakePlatform& f) { f.network.sizeAnswer = 0; }},
    {"second call error", 7,
     [](fake::FakePlatform& f) { f.network.fetchResult = 1; }},
    // The buffer is sized by the first answer and never regrown, so a list
    // that grew between the calls fails rather than being read short.
    {"answer grew between the calls", 7,
     [](fake::FakePlatform& f) {
       f.network.sizeAnswer = f.network.NeededSize();
       f.network.dnsServers.push_back("10.9.9.9");
     }},
};

TEST(NetworkLookup, EveryFailureClearsTheRecordAndReleasesWhatItObtained) {
  for (const FailureCase& failure : kFailures) {
    SCOPED_TRACE(failure.name);
    fake::FakePlatform fake;
    failure.script(fake);
    NetworkInfo info = UsedRecord();
    EXPECT_EQ(GetNetworkInfo(&info), failure.expectedCode);
    ExpectCleared(info);
    ExpectReleased(fake);
    EXPECT_TRUE(fake.system.out.empty()) << fake.system.out;
  }
}

TEST(NetworkLookup, UsesTheLibraryOnlyThroughItsNamedEntryPoint) {
  fake::FakePlatform fake;
  NetworkInfo info;
  ASSERT_EQ(GetNetworkInfo(&info), 0);
  EXPECT_EQ(fake.modules.calls,
            (std::vector<std::string>{"LoadLibraryA IPHlpApi.DLL",
                                      "GetProcAddress GetNetworkParams",
                                      "FreeLibrary IPHlpApi.DLL"}));
  // Size query with no buffer and a zero count, then exactly that size.
  ASSERT_EQ(fake.network.calls.size(), 2u);
  EXPECT_FALSE(fake.network.calls[0].withBuffer);
  EXPECT_EQ(fake.network.calls[0].sizeIn, 0u);
  EXPECT_TRUE(fake.network.calls[1].withBuffer);
  EXPECT_EQ(fake.network.calls[1].sizeIn, fake.network.NeededSize());
  for (const auto& call : fake.network.calls) {
    EXPECT_EQ(fake.modules.NameOf(call.entry), "GetNetworkParams");
  }
  EXPECT_EQ(fake.memory.allocations[fake::FakeMemory::Heap], 1);
  ExpectReleased(fake);
  FreeNetworkInfo(&info);
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// A used record is refilled, not appended to (newstr would stop the process
// on a slot that is still set); texts are copied whole, even when empty or
// filling their fields, and the first three DNS servers are kept.
TEST(NetworkLookup, SuccessCopiesTheAnswerIntoOwnedStrings) {
  const std::string host(kHostNameSize, 'H');
  const std::string domain(kDomainNameSize, 'D');
  const std::string one(kAddressTextSize, '1');
  const std::string two(kAddressTextSize, '2');
  struct Case {
    const char* what;
    std::string host;
    std::string domain;
    std::vector<std::string> servers;
    std::vector<std::string> dns;  // the three server slots, as Text shows them
  };
  const Case cases[] = {
      {"three servers", "BUILD-07", "corp.example.com",
       {"10.1.1.1", "10.1.1.2", "10.1.1.3"},
       {"\"10.1.1.1\"", "\"10.1.1.2\"", "\"10.1.1.3\""}},
      // No server: the inline entry is empty, and still copied.
      {"no server", "h", "d", {}, {"\"\"", "<null>", "<null>"}},
      {"one server", "h", "d", {"8.8.8.8"}, {"\"8.8.8.8\"", "<null>", "<null>"}},
      {"two servers", "h", "d", {"1.1.1.1", "1.0.0.1"},
       {"\"1.1.1.1\"", "\"1.0.0.1\"", "<null>"}},
      {"four servers", "h", "d", {"10.0.0.1", "10.0.0.2", "10.0.0.3", "10.0.0.4"},
       {"\"10.0.0.1\"", "\"10.0.0.2\"", "\"10.0.0.3\""}},
      {"empty texts", "", "", {""}, {"\"\"", "<null>", "<null>"}},
      {"texts that fill their fields", host, domain, {one, two},
       {Quoted(one), Quoted(two), "<null>"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fake::FakePlatform fake;
    fake.network.hostName = c.host;
    fake.network.domainName = c.domain;
    fake.network.dnsServers = c.servers;
    fake.network.nodeType = 8;
    fake.network.enableRouting = 1;
    fake.network.enableProxy = 2;
    fake.network.enableDns = 3;
    NetworkInfo info = UsedRecord();
    ASSERT_EQ(GetNetworkInfo(&info), 0);
    EXPECT_EQ(Text(info.hostName), Quoted(c.host));
    EXPECT_EQ(Text(info.domainName), Quoted(c.domain));
    EXPECT_EQ((std::vector<std::string>{Text(info.dnsServer1), Text(info.dnsServer2),
                                        Text(info.dnsServer3)}),
              c.dns);
    EXPECT_EQ(info.nodeType, 8u);
    EXPECT_EQ(info.enableRouting, 1u);
    EXPECT_EQ(info.enableProxy, 2u);
    EXPECT_EQ(info.enableDns, 3u);
    ExpectReleased(fake);
    FreeNetworkInfo(&info);
  }
}

TEST(NetworkLookup, ALinkOutsideTheAnswerEndsTheList) {
  // Past the end, and inside it but too close to the end for a whole entry.
  for (long fromEnd : {0L, 64L, -8L}) {
    SCOPED_TRACE(fromEnd);
    fake::FakePlatform fake;
    fake.network.dnsServers = {"10.0.0.1", "10.0.0.2"};
    fake.network.secondLinkFromEnd = fromEnd;
    NetworkInfo info;
    ASSERT_EQ(GetNetworkInfo(&info), 0);
    EXPECT_EQ(Text(info.dnsServer1), "\"10.0.0.1\"");
    EXPECT_EQ(info.dnsServer2, nullptr);
    ExpectReleased(fake);
    FreeNetworkInfo(&info);
  }
}

TEST(NetworkLookup, SizeQueryAnsweringSuccessStillFetches) {
  fake::FakePlatform fake;
  fake.network.sizeQueryResult = 0;
  NetworkInfo info;
  EXPECT_EQ(GetNetworkInfo(&info), 0);
  EXPECT_EQ(Text(info.hostName), "\"WORKSTATION\"");
  FreeNetworkInfo(&info);
}

TEST(NetworkLookup, EachCallLoadsAndReleasesTheLibraryAgain) {
  fake::FakePlatform fake;
  NetworkInfo info;
  ASSERT_EQ(GetNetworkInfo(&info), 0);
  fake.network.hostName = "RENAMED";
  ASSERT_EQ(GetNetworkInfo(&info), 0);
  EXPECT_EQ(Text(info.hostName), "\"RENAMED\"");
  EXPECT_EQ(fake.modules.calls.size(), 6u);
  EXPECT_EQ(fake.network.calls.size(), 4u);
  ExpectReleased(fake);
  FreeNetworkInfo(&info);
}

}  // namespace
}  // namespace tarnlix
