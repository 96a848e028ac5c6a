#include <gtest/gtest.h>

#include "run_tool.h"

namespace tarnlix::e2e {
namespace {

TEST(Cli, ReadsAFieldFromASavedTable) {
  ToolResult result = RunTool({"/FROM:" + TestData("corpus/raw/dell-r630.bin"), "/PCSERIAL"});
  EXPECT_EQ(result.out, "790H8D2");
  EXPECT_EQ(result.exitCode, 0);
}

}  // namespace
}  // namespace tarnlix::e2e
