// "/JSON": the string encoding, and what each form of the document holds.
#include <gtest/gtest.h>

#include "cli/json_output.h"
#include "test_support.h"

namespace tarnlix {
namespace {

using test::BareTable;
using test::HeaderForm;
using test::Structure;

TEST(Json, StringsAreAlwaysValidUtf8WithNothingLost) {
  struct Case {
    const char* what;
    std::string text;
    std::string json;
  } cases[] = {
      {"plain", "Dell Inc.", "\"Dell Inc.\""},
      {"escapes", "a\"b\\c\td\ne\r\x01\x1F\x7F", "\"a\\\"b\\\\c\\td\\ne\\r\\u0001\\u001f\x7F\""},
      {"UTF-8 kept", "Gr\xC3\xBC\xC3\x9F \xE2\x84\xA2 \xF0\x9F\x98\x80", "\"Gr\xC3\xBC\xC3\x9F \xE2\x84\xA2 \xF0\x9F\x98\x80\""},
      {"Latin-1", "Gr\xFC\xDF", "\"Gr\xC3\xBC\xC3\x9F\""},
      // One bad sequence makes the whole value Latin-1.
      {"mixed", "\xC3\xBC \xFF", "\"\xC3\x83\xC2\xBC \xC3\xBF\""},
      {"overlong", "\xC0\xAF", "\"\xC3\x80\xC2\xAF\""},
      {"surrogate", "\xED\xA0\x80", "\"\xC3\xAD\xC2\xA0\xC2\x80\""},
      {"past U+10FFFF", "\xF4\x90\x80\x80", "\"\xC3\xB4\xC2\x90\xC2\x80\xC2\x80\""},
      {"cut short", "\xE2\x84", "\"\xC3\xA2\xC2\x84\""},
  };
  for (const Case& c : cases) {
    std::string out;
    AppendJsonString(out, c.text.c_str());
    EXPECT_EQ(out, c.json) << c.what;
  }
}

class JsonRun : public ::testing::Test {
 protected:
  JsonRun() {
    fake.firmware.table = HeaderForm(
        BareTable({test::Bios("AMI", "F.10", "05/06/2019"), test::SystemInfo({"HP", "", "", "CZC123"}),
                   Structure(17, 0x0E, {{0x0C, 0x00}, {0x0D, 0x40}}), Structure(17, 0x0E)}),
        3, 4);
    fake.network.hostName = "WKS-042";
  }
  fake::RunResult Run(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "/JSON");
    fake.system.out.clear();
    return fake::Run(fake, arguments);
  }
  fake::FakePlatform fake;
};

TEST_F(JsonRun, SelectorFormOneKeyPerDistinctSelector) {
  fake::RunResult result =
      Run({"/CSV", "/LINES", "/CRLF", "/pcserial", "-PCSERIAL", "/MEMSIZE:*", "/MEMSIZE:2",
           "/BATLOC:*", "/NOSUCH", "/NAME", "/PCVER", "/ISO", "/BIOSDATE"});
  EXPECT_EQ(result.out,
            "{\n"
            "  \"PCSERIAL\": \"CZC123\",\n"
            "  \"MEMSIZE:*\": [\n    16384,\n    null\n  ],\n"
            "  \"MEMSIZE:2\": null,\n"
            "  \"BATLOC:*\": [],\n"
            "  \"NOSUCH\": null,\n"
            "  \"NAME\": \"WKS-042\",\n"
            "  \"PCVER\": null,\n"
            "  \"BIOSDATE\": \"2019/05/06\",\n"
            "  \"SOURCE\": \"firmware\",\n"
            "  \"PARTIAL\": false\n"
            "}\n");
  EXPECT_EQ(result.exitCode, 0);
}

// A group switch gives its objects and does not end the document.
TEST_F(JsonRun, GroupsAreArraysOfObjects) {
  fake::RunResult result = Run({"/BIOS", "/MEMTOTAL"});
  EXPECT_EQ(result.out,
            "{\n"
            "  \"BIOS\": [\n"
            "    {\n"
            "      \"HANDLE\": \"0x0000\",\n"
            "      \"BIOSVENDOR\": \"AMI\",\n      \"BIOSVER\": \"F.10\",\n"
            "      \"BIOSDATE\": \"05/06/2019\",\n      \"BIOSREV\": null,\n      \"ECREV\": null,\n"
            "      \"BIOSADDRESS\": null,\n      \"BIOSRUNTIME\": null,\n"
            "      \"BIOSROMSIZE\": 64,\n      \"BIOSCHARS\": []\n"
            "    }\n"
            "  ],\n"
            "  \"MEMTOTAL\": 16384,\n"
            "  \"SOURCE\": \"firmware\",\n"
            "  \"PARTIAL\": false\n"
            "}\n");
}

TEST_F(JsonRun, WholeDocumentWithoutFieldsOrWithAll) {
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{}, {"/PCSERIAL", "/ALL"}, {"/NOSUCH"}}) {
    std::string out = Run(arguments).out;
    EXPECT_EQ(out.rfind("{\n  \"SMBIOS\": \"3.4\",\n  \"NAME\": \"WKS-042\",\n"
                       "  \"SOURCE\": \"firmware\",\n  \"PARTIAL\": false,\n  \"BIOS\": [\n", 0), 0u)
        << out;
    EXPECT_NE(out.find("\n  \"CACHE\": [],\n"), std::string::npos);
    EXPECT_NE(out.find("\"PCUUID\": null,\n      \"PCWAKEUP\": \"Reserved\"\n"),
              std::string::npos);
    EXPECT_NE(out.find("\n  \"MEMARRAY\": [],\n  \"MEM\": [\n"), std::string::npos);
    EXPECT_NE(out.find("],\n  \"MEMTOTAL\": 16384,\n  \"MACHINE\": {\n    \"MACHINEMAKER\": "),
              std::string::npos) << out;
    EXPECT_EQ(out.substr(out.size() - 33), "    \"MACHINEVIRTUAL\": null\n  }\n}\n") << out;
  }
}

// A saved table is another machine's: the name of the machine reading it is
// not put beside it, unless "/NAME" asks for it.
TEST_F(JsonRun, SavedTableHasNoHostNameUnlessAsked) {
  fake.system.files["saved.bin"] = fake.firmware.table;
  fake::RunResult result = Run({"/FROM:saved.bin"});
  EXPECT_NE(result.out.find("\n  \"NAME\": null,\n"), std::string::npos) << result.out;
  EXPECT_EQ(result.exitCode, 0);
  result = Run({"/FROM:saved.bin", "/NAME"});
  EXPECT_NE(result.out.find("\n  \"NAME\": \"WKS-042\",\n"), std::string::npos) << result.out;
  EXPECT_EQ(Run({"/FROM:saved.bin", "/NAME", "/PCSERIAL"}).out,
            "{\n  \"NAME\": \"WKS-042\",\n  \"PCSERIAL\": \"CZC123\",\n  \"SOURCE\": \"file\",\n"
            "  \"PARTIAL\": false\n}\n");
}

// A failed lookup is null and keeps its code, and "/V" writes no error line
// into the document.
TEST_F(JsonRun, FailedNameLookupIsNullWithItsExitCode) {
  fake.modules.missingEntries = {"GetNetworkParams"};
  fake::RunResult result = Run({"/V", "/NAME", "/PCSERIAL"});
  EXPECT_EQ(result.out, "{\n  \"NAME\": null,\n  \"PCSERIAL\": \"CZC123\",\n"
                        "  \"SOURCE\": \"firmware\",\n  \"PARTIAL\": false\n}\n");
  EXPECT_EQ(result.exitCode, 3);
  result = Run({});
  EXPECT_NE(result.out.find("\"NAME\": null,"), std::string::npos);
  EXPECT_EQ(result.exitCode, 0) << "no /NAME was asked for";
  fake.firmware.table.clear();
  result = Run({});
  EXPECT_EQ(result.out, test::kLoadFailure);
  EXPECT_EQ(result.exitCode, 1);
}

}  // namespace
}  // namespace tarnlix
