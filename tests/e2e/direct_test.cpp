// "/DIRECT" on this machine's own memory device, as a user without the
// right to read physical memory.
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "run_tool.h"

namespace tarnlix::e2e {
namespace {

constexpr const char* kSetpriv = "/usr/bin/setpriv";

// Runs the tool as the unprivileged user "nobody" when this test runs as
// root; the tool must then be reachable by that user.
bool RunUnprivileged(const std::vector<std::string>& arguments,
                     ToolResult* result, std::string* why) {
  if (::geteuid() != 0) {
    *result = RunTool(arguments);
    return true;
  }
  if (::access(kSetpriv, X_OK) != 0) {
    *why = "running as root and setpriv is not available to drop privileges";
    return false;
  }
  std::vector<std::string> wrapped = {"--reuid=65534", "--regid=65534",
                                      "--clear-groups", "--", ToolPath()};
  wrapped.insert(wrapped.end(), arguments.begin(), arguments.end());
  ToolOptions options;
  options.executable = kSetpriv;
  *result = RunTool(wrapped, options);
  if (result->exitCode == 127 || result->err.find("setpriv:") != std::string::npos) {
    *why = "cannot run the tool as an unprivileged user: " + result->err;
    return false;
  }
  return true;
}

TEST(Direct, WithoutAccessToPhysicalMemoryFailsWithError1) {
  ToolResult result;
  std::string why;
  if (!RunUnprivileged({"/DIRECT", "/PCNAME"}, &result, &why)) GTEST_SKIP() << why;
  EXPECT_EQ(result.out,
            "Error: TarnlixDataNT2() failed (Error 1)\n"
            " \xE2\x96\xA0 Error: Failed to retrieve BIOS information\n");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "");
  EXPECT_FALSE(result.timedOut);
}

}  // namespace
}  // namespace tarnlix::e2e
