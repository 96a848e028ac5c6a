// "/NAME" in a whole run on the fake platform: what is printed, which result
// code becomes the exit code, and how "/V" stops a run whose lookup failed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake/fake_platform.h"
#include "table_builder.h"

namespace tarnlix {
namespace {

// Counts every attempt to pause: a pause asks first whether a console is
// there to answer it.
class WatchedConsole : public fake::FakeConsole {
 public:
  bool HasConsoleInput() override {
    ++pauses;
    return false;
  }
  int pauses = 0;
};

class NameRun : public ::testing::Test {
 protected:
  NameRun() {
    fake.firmware.table = test::HeaderForm(test::BareTable(
        {test::Bios("Vendor X", "1.02", "03/15/2012"), test::EndOfTable()}));
    fake.platform.console = &console;
    fake.network.hostName = "WKS-042";
  }
  fake::FakePlatform fake;
  WatchedConsole console;
};

TEST_F(NameRun, PrintsTheHostNameBareAndSucceeds) {
  fake::RunResult result = fake::Run(fake, {"/NAME"});
  EXPECT_EQ(result.out, "WKS-042");
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(fake.modules.loaded, 0);
  EXPECT_EQ(fake.memory.live(), 0u);
}

TEST_F(NameRun, FailedLookupPrintsNothingAndItsCodeIsTheExitCode) {
  fake.modules.missingEntries = {"GetNetworkParams"};
  fake::RunResult result = fake::Run(fake, {"/BIOSVER", "/NAME", "/CSV"});
  EXPECT_EQ(result.out, "\"1.02\",\"\"\n");
  EXPECT_EQ(result.exitCode, 3);
}

// The service fails the n-th call made to it (counting both calls of every
// lookup) with the given error.
class FailingCall : public fake::FakeNetwork {
 public:
  FailingCall(int failing, uint32_t error) : failing_(failing), error_(error) {}
  uint32_t GetNetworkParams(ProcAddress entry, void* buffer,
                            uint32_t* size) override {
    if (++count_ == failing_) return error_;
    return fake::FakeNetwork::GetNetworkParams(entry, buffer, size);
  }

 private:
  int failing_;
  uint32_t error_;
  int count_ = 0;
};

TEST_F(NameRun, TheSecondLookupsCodeStands) {
  struct Case {
    int failingCall;
    const char* out;
    int exitCode;
  };
  const Case cases[] = {
      {1, "\tWKS-042\t", 0},  // the first lookup's size query fails (4)
      {4, "WKS-042\t\t", 7},  // the second lookup's fetch fails
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.failingCall);
    fake::FakePlatform run;
    run.firmware.table = fake.firmware.table;
    FailingCall network(c.failingCall, 5);
    network.hostName = "WKS-042";
    run.platform.network = &network;
    fake::RunResult result = fake::Run(run, {"/NAME", "/NAME", "/TAB"});
    EXPECT_EQ(result.out, c.out);
    EXPECT_EQ(result.exitCode, c.exitCode);
  }
}

TEST_F(NameRun, VerboseFailureEndsTheRunWithTheLookupsCode) {
  struct Case {
    std::vector<std::string> arguments;
    std::string out;
  };
  const std::string error = "Error: Failed to retrieve network information\n";
  const Case cases[] = {
      {{"/BIOSVER", "/NAME", "/BIOSVENDOR", "/V", "/P"}, "1.02" + error},
      // The opening quote is written before the selector is known.
      {{"/BIOSVER", "/NAME", "/BIOSVENDOR", "/V", "/CSV", "/P"},
       "\"1.02\",\"" + error},
      {{"/BIOSVER", "/NAME", "/BIOSVENDOR", "/VERBOSE", "/TAB", "/P"},
       "1.02\t" + error},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.out);
    fake::FakePlatform run;
    run.firmware.table = fake.firmware.table;
    WatchedConsole watched;
    run.platform.console = &watched;
    run.modules.missingLibraries = {"IPHlpApi.DLL"};
    fake::RunResult result = fake::Run(run, c.arguments);
    EXPECT_EQ(result.out, c.out);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(watched.pauses, 0);
  }
}

TEST_F(NameRun, VerboseChangesNothingWhenTheLookupSucceeds) {
  fake::RunResult result = fake::Run(fake, {"/V", "/NAME", "/BIOSVER", "/P"});
  EXPECT_EQ(result.out, "WKS-0421.02");
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(console.pauses, 1);
}

}  // namespace
}  // namespace tarnlix
