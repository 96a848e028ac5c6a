// The small string utilities and the release date's ISO form.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "fake/fake_platform.h"
#include "net/strings.h"
#include "smbios/iso_date.h"

namespace tarnlix {
namespace {

TEST(Strings, NewstrCopiesIntoAnEmptySlotOnly) {
  char* slot = nullptr;
  const char text[] = "Vendor";
  EXPECT_EQ(newstr(slot, text), slot);
  ASSERT_NE(slot, nullptr);
  EXPECT_NE(slot, text);
  EXPECT_STREQ(slot, "Vendor");

  char* empty = nullptr;
  EXPECT_STREQ(newstr(empty, ""), "") << "an empty text is an owned empty string";
  char* none = nullptr;
  EXPECT_EQ(newstr(none, nullptr), nullptr);
  EXPECT_EQ(none, nullptr);

  // Reusing a filled slot would leak or alias a string: the run stops, and
  // the exit code says it failed.
  fake::FakePlatform fake;
  try {
    newstr(slot, "again");
    FAIL() << "newstr returned on a filled slot";
  } catch (const fake::ProcessExit& exit) {
    EXPECT_EQ(exit.code, 3);
  }
  EXPECT_EQ(fake.system.out, "FATAL: non-NULL ptr in newstr()\n");
  EXPECT_STREQ(slot, "Vendor");

  char* texts[3] = {slot, nullptr, empty};
  freestrs(texts, 3);
  EXPECT_EQ(texts[0], nullptr);
  EXPECT_EQ(texts[2], nullptr);
  freestrs(nullptr, 3);
}

TEST(Strings, RtrimRemovesOnlyTrailingOccurrences) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {{"1.02 ", "1.02"}, {"  ABC  ", "  ABC"}, {"   ", ""},
               {"tab\t ", "tab\t"}, {"", ""},          {"none", "none"}};
  for (const Case& c : cases) {
    char buffer[16];
    std::strcpy(buffer, c.in);
    EXPECT_STREQ(rtrim(buffer, ' '), c.out) << '"' << c.in << '"';
  }
}

TEST(IsoDate, ReleaseDatesBecomeYearMonthDay) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"03/15/2012", "2012/03/15"}, {"1/5/2012", "2012/01/05"},
      {"12-31-2012", "2012/12/31"}, {"12/31/99", "1999/12/31"},
      {"02/02/18", "1918/02/02"},   {"7-4/2001", "2001/07/04"},
  };
  for (const Case& c : cases) EXPECT_STREQ(FormatIsoDate(c.in), c.out) << c.in;
}

TEST(IsoDate, TextThatIsNotSuchADateIsReturnedUnchanged) {
  const char* texts[] = {"AB",         "14/5/2019",   "0315/2012", "03/15/201",
                         "03/15/20123", "03/15/2012x", "00/10/2010", "10/32/2010",
                         "10/0/2010",  "10//2010",    "/10/2010",  "10/10/"};
  for (const char* text : texts) EXPECT_EQ(FormatIsoDate(text), text) << text;
  EXPECT_EQ(FormatIsoDate(""), nullptr);
  EXPECT_EQ(FormatIsoDate(nullptr), nullptr);
}

TEST(IsoDate, TheSameTextComesBackFromTwoCallsInARow) {
  const char* first = FormatIsoDate("03/15/2012");
  std::string kept = first;
  const char* second = FormatIsoDate("03/15/2012");
  EXPECT_EQ(kept, second);
}

}  // namespace
}  // namespace tarnlix
