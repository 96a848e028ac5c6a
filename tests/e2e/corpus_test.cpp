// Every field selector on every real table of the corpus, run through the
// built tool exactly as a script would run it.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "run_tool.h"

namespace tarnlix::e2e {
namespace {

struct Expectation {
  std::string selector;
  std::string value;
};

// Undoes the escapes of the expectations file: \\ \t \n \r.
std::string Unescape(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    char next = text[++i];
    out += next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next;
  }
  return out;
}

std::map<std::string, std::vector<Expectation>> ReadExpectations() {
  std::ifstream in(TestData("corpus/expected.tsv"), std::ios::binary);
  std::map<std::string, std::vector<Expectation>> tables;
  std::string line;
  std::getline(in, line);  // header
  while (std::getline(in, line)) {
    size_t first = line.find('\t');
    size_t second = line.find('\t', first + 1);
    if (first == std::string::npos || second == std::string::npos) continue;
    tables[Unescape(line.substr(0, first))].push_back(
        {line.substr(first + 1, second - first - 1), Unescape(line.substr(second + 1))});
  }
  return tables;
}

// Splits tab-terminated values.
std::vector<std::string> Values(const std::string& out) {
  std::vector<std::string> values;
  size_t start = 0;
  for (size_t tab; (tab = out.find('\t', start)) != std::string::npos; start = tab + 1) {
    values.push_back(out.substr(start, tab - start));
  }
  return values;
}

TEST(Corpus, EveryFieldSelectorOnEveryTable) {
  std::map<std::string, std::vector<Expectation>> tables = ReadExpectations();
  ASSERT_EQ(tables.size(), 309u);
  int checked = 0;
  for (const auto& [file, expectations] : tables) {
    std::string from = "/FROM:" + TestData("corpus/" + file);
    std::vector<std::string> arguments = {from, "/TAB"};
    std::vector<const Expectation*> plain;
    const Expectation* iso = nullptr;
    for (const Expectation& e : expectations) {
      if (e.selector == "/BIOSDATE+ISO") {
        iso = &e;
      } else {
        arguments.push_back(e.selector);
        plain.push_back(&e);
      }
    }
    ToolResult result = RunTool(arguments);
    ASSERT_EQ(result.exitCode, 0) << file << "\n" << result.out;
    std::vector<std::string> values = Values(result.out);
    ASSERT_EQ(values.size(), plain.size()) << file;
    for (size_t i = 0; i < plain.size(); ++i) {
      EXPECT_EQ(values[i], plain[i]->value) << file << " " << plain[i]->selector;
      ++checked;
    }
    ASSERT_NE(iso, nullptr) << file;
    ToolResult isoResult = RunTool({from, "/ISO", "/TAB", "/BIOSDATE"});
    EXPECT_EQ(isoResult.out, iso->value + "\t") << file << " /ISO /BIOSDATE";
    ++checked;
  }
  EXPECT_EQ(checked, 309 * 52);
}

}  // namespace
}  // namespace tarnlix::e2e
