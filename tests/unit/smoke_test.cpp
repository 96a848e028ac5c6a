#include <gtest/gtest.h>

#include "fake/fake_platform.h"
#include "table_builder.h"

namespace tarnlix {
namespace {

TEST(Smoke, FirmwareTableServesAField) {
  fake::FakePlatform fake;
  fake.firmware.table = test::HeaderForm(test::BareTable(
      {test::Bios("Vendor X", "1.02 ", "03/15/2012"), test::EndOfTable()}));
  fake::RunResult result = fake::Run(fake, {"/BIOSVER"});
  EXPECT_EQ(result.out, "1.02");
  EXPECT_EQ(result.exitCode, 0);
}

}  // namespace
}  // namespace tarnlix
