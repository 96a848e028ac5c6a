// "/NAME" in the built tool on this machine's own Linux sources.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "run_tool.h"

namespace tarnlix::e2e {
namespace {

std::string ShortHostName() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return "<gethostname failed>";
  std::string text(name);
  return text.substr(0, text.find('.'));
}

TEST(Name, PrintsTheUnqualifiedHostName) {
  std::string table = "/FROM:" + TestData("corpus/raw/dell-r630.bin");
  ToolResult result = RunTool({table, "/NAME"});
  EXPECT_EQ(result.out, ShortHostName());
  EXPECT_EQ(result.exitCode, 0);

  // Beside table values, quoted like them.
  result = RunTool({table, "/PCSERIAL", "/NAME", "/CSV"});
  EXPECT_EQ(result.out, "\"790H8D2\",\"" + ShortHostName() + "\"\n");
  EXPECT_EQ(result.exitCode, 0);
}

}  // namespace
}  // namespace tarnlix::e2e
