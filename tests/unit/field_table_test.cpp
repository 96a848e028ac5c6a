// The field table as tools see it (/FIELDS), the name tables it names codes
// with, and the two ways of writing a number that dmidecode's values need.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "cli/selectors.h"
#include "smbios/name_tables.h"
#include "test_support.h"

namespace tarnlix {
namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::stringstream in(text);
  for (std::string part; std::getline(in, part, separator);) parts.push_back(part);
  if (!text.empty() && text.back() == separator) parts.push_back("");
  return parts;
}

// Every code the dmidecode-derived files name has the same name here; the
// tool's own files may add the codes newer standards named.
TEST(NameTables, EveryNameDmidecodeGivesACode) {
  size_t compared = 0;
  for (const names::NamedTable& named : names::kAll) {
    std::ifstream in(std::string(TARNLIX_TEST_DATA) + "/corpus/names/" + named.file + ".tsv");
    if (!in) continue;  // a table of the tool's own
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
      std::vector<std::string> columns = Split(line, '\t');
      ASSERT_EQ(columns.size(), 2u) << named.file << ": " << line;
      uint32_t code = static_cast<uint32_t>(std::stoul(columns[0], nullptr, 16));
      const char* name = named.table->Find(code);
      EXPECT_STREQ(name, columns[1].c_str()) << named.file << " " << columns[0];
      ++compared;
    }
  }
  EXPECT_GT(compared, 1500u);
}

// Each type's file registers its group under the type, and every row of it,
// those made from a shared layout too, is of that type; a value of the whole
// table lives with the group that sums it.
TEST(FieldTable, EveryRowIsOfItsGroupsType) {
  std::set<uint16_t> types;
  for (size_t g = 0; g < StructureGroupCount(); ++g) {
    const StructureGroup& group = StructureGroups()[g];
    EXPECT_TRUE(types.insert(group.type).second) << group.selector;
    for (size_t i = 0; i < group.rowCount; ++i) {
      const FieldRow& row = group.rows[i];
      if (row.OfStructure()) {
        EXPECT_EQ(row.type, group.type) << row.selector;
      }
      // The form field lookups rely on.
      std::string selector = row.selector;
      EXPECT_TRUE(selector.size() > 2 && selector.size() <= kMaxSelectorLength && selector[0] == '/' &&
                  selector.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789", 1) == std::string::npos)
          << selector;
    }
  }
  EXPECT_EQ(types.size(), 48u);  // types 0 to 46 and the undefined ones
}

TEST(FieldList, OneLinePerSelectorInSevenColumnsWithoutATable) {
  fake::FakePlatform fake;  // no firmware table, registry or memory
  fake::RunResult result = fake::Run(fake, {"-fields", "/PCSERIAL"});
  EXPECT_EQ(result.exitCode, 0);
  ASSERT_FALSE(result.out.empty());
  ASSERT_EQ(result.out.back(), '\n');

  std::set<std::string> groups;
  for (size_t g = 0; g < StructureGroupCount(); ++g) groups.insert(StructureGroups()[g].selector + 1);
  for (size_t g = 0; g < TableGroupCount(); ++g) groups.insert(TableGroups()[g].selector + 1);
  std::map<std::string, std::vector<std::string>> lines;
  for (const std::string& line : Split(result.out.substr(0, result.out.size() - 1), '\n')) {
    std::vector<std::string> columns = Split(line, '\t');
    ASSERT_EQ(columns.size(), 7u) << line;
    EXPECT_TRUE(lines.emplace(columns[0], columns).second) << "twice: " << line;
    const FieldRow* row = FindField(columns[0].c_str());
    ASSERT_NE(row, nullptr) << line;
    EXPECT_EQ(columns[1], row->type >= kOtherTypes ? "" : std::to_string(row->type)) << line;
    EXPECT_TRUE(groups.count(columns[2]) == 1 || columns[0] == "/MEMTOTAL") << line;
    const std::set<std::string> kinds = {"text", "number", "list"};
    EXPECT_EQ(kinds.count(columns[5]), 1u) << line;
    if (!columns[4].empty()) {
      EXPECT_EQ(columns[5], "number") << "only a number has a unit: " << line;
    }
  }
  size_t rows = 0;
  ForEachField([&rows](const FieldRow&) { ++rows; });
  EXPECT_EQ(lines.size(), rows);
  EXPECT_EQ(lines["/PCSERIAL"],
            (std::vector<std::string>{"/PCSERIAL", "1", "PC", "Serial Number", "", "text", ""}));
  EXPECT_EQ(lines["/MEMDEVLOC"][3], "Locator");
  EXPECT_EQ(lines["/MEMTOTAL"], (std::vector<std::string>{"/MEMTOTAL", "17", "", "", "MB", "number", ""}));
  EXPECT_EQ(lines["/MACHINESERIAL"],
            (std::vector<std::string>{"/MACHINESERIAL", "", "MACHINE", "", "", "text", ""}));
  EXPECT_EQ(lines["/PROCESSORSPEED"][6], "varies");
  EXPECT_EQ(lines["/MEMDEVMAPDEVICE"][6], "handle");
  EXPECT_EQ(lines["/MEMCONFVOLTAGE"][4], "V");
  EXPECT_EQ(lines["/BIOSCHARS"][5], "list");
}

// dmidecode shows a size by its two largest 1024-based parts, and the tool
// counts what it shows.
TEST(FieldValues, SizesAsDmidecodeShowsThem) {
  struct Case {
    uint64_t value;
    SizeUnit base, unit;
    uint64_t shown;
  } cases[] = {
      {1536, kKilobytes, kKilobytes, 1536},
      {1048577, kKilobytes, kKilobytes, 1048576},      // 1 GB and 1 kB: 1 GB
      {1073741823, kKilobytes, kKilobytes, 1073740800},  // 1048575 MB
      {0x7FFFFFFF, kKilobytes, kKilobytes, 2047ull << 20},
      {1536, kKilobytes, kMegabytes, 1},                // shown in kB, counted in MB
      {512 * 1024, kBytes, kMegabytes, 0},
      {0x1234560000, kBytes, kMegabytes, 74565},
      {0, kKilobytes, kKilobytes, 0},
      {~uint64_t{0}, kBytes, kKilobytes, 16383ull << 40},  // 16 EB less a byte: 16383 PB
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ShownSize(c.value, c.base, c.unit), c.shown) << c.value;
  }
}

TEST(FieldValues, DecimalsAsTheValueNeedsThem) {
  struct Case {
    int64_t value;
    int decimals;
    const char* text;
  } cases[] = {{1350, 3, "1.35"}, {1000, 3, "1"}, {44975, 3, "44.975"}, {5, 3, "0.005"},
               {-1270, 1, "-127"}, {-5, 1, "-0.5"}, {0, 3, "0"}};
  FieldValue value;
  for (const Case& c : cases) {
    value.SetDecimal(c.value, c.decimals);
    EXPECT_EQ(value.text(), c.text) << c.value;
    EXPECT_EQ(value.kind(), FieldValue::Kind::Number);
  }
}

}  // namespace
}  // namespace tarnlix
