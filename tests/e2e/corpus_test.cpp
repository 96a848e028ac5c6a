// Every field selector on every real table of the corpus, run through the
// built tool exactly as a script would run it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <fstream>
#include <iterator>
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

std::map<std::string, std::string> ReadUuids() {
  std::ifstream in(TestData("corpus/uuid.tsv"), std::ios::binary);
  std::map<std::string, std::string> uuids;
  std::string line;
  std::getline(in, line);  // header
  while (std::getline(in, line)) {
    size_t tab = line.find('\t');
    if (tab != std::string::npos) uuids[line.substr(0, tab)] = line.substr(tab + 1);
  }
  return uuids;
}

TEST(Corpus, EveryFieldSelectorOnEveryTable) {
  std::map<std::string, std::vector<Expectation>> tables = ReadExpectations();
  std::map<std::string, std::string> uuids = ReadUuids();
  ASSERT_EQ(tables.size(), 316u);
  ASSERT_EQ(uuids.size(), 316u);
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
    // The UUIDs were read with dmidecode once and kept with the corpus.
    EXPECT_EQ(RunTool({from, "/PCUUID"}).out, uuids.at(file)) << file << " /PCUUID";
    ToolResult isoResult = RunTool({from, "/ISO", "/TAB", "/BIOSDATE"});
    EXPECT_EQ(isoResult.out, iso->value + "\t") << file << " /ISO /BIOSDATE";
    ++checked;
  }
  // Every table has a row for each field selector.
  EXPECT_EQ(checked, 316 * 64);
}

// The lines of a run's output, without their line ends (LF or CR LF).
std::vector<std::string> Lines(const std::string& out) {
  std::vector<std::string> lines;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// The same values when a whole directory of tables is read in one run: a
// line per table, its path first. (Where starting a process costs much, as
// under Wine, this is how every table is checked.)
TEST(Corpus, EveryFieldSelectorOfEveryTableInOneRunPerDirectory) {
  std::map<std::string, std::vector<Expectation>> tables = ReadExpectations();
  std::map<std::string, std::string> uuids = ReadUuids();
  std::vector<std::string> selectors;
  for (const Expectation& e : tables.begin()->second) {
    if (e.selector != "/BIOSDATE+ISO") selectors.push_back(e.selector);
  }
  size_t checked = 0;
  for (const std::string directory : {"raw", "machines"}) {
    std::vector<std::string> arguments = {"/FROM:" + TestData("corpus/" + directory), "/TAB"};
    arguments.insert(arguments.end(), selectors.begin(), selectors.end());
    arguments.push_back("/PCUUID");
    ToolResult result = RunTool(arguments);
    ASSERT_EQ(result.exitCode, 0) << directory;
    ToolResult iso = RunTool({"/FROM:" + TestData("corpus/" + directory), "/ISO", "/TAB",
                              "/BIOSDATE"});
    std::vector<std::string> isoLines = Lines(iso.out);
    std::vector<std::string> lines = Lines(result.out);
    ASSERT_EQ(isoLines.size(), lines.size()) << directory;
    for (size_t n = 0; n < lines.size(); ++n) {
      std::vector<std::string> values = Values(lines[n] + "\t");
      std::vector<std::string> isoValues = Values(isoLines[n] + "\t");
      ASSERT_EQ(values.size(), selectors.size() + 2) << lines[n];
      ASSERT_EQ(isoValues.size(), 2u) << isoLines[n];
      ASSERT_EQ(isoValues[0], values[0]);
      std::string file = directory + "/" + values[0].substr(values[0].find_last_of("/\\") + 1);
      auto expected = tables.find(file);
      ASSERT_NE(expected, tables.end()) << values[0];
      size_t at = 1;
      for (const Expectation& e : expected->second) {
        if (e.selector == "/BIOSDATE+ISO") {
          EXPECT_EQ(isoValues[1], e.value) << file << " /ISO /BIOSDATE";
        } else {
          ASSERT_EQ(e.selector, selectors[at - 1]) << file;
          EXPECT_EQ(values[at++], e.value) << file << " " << e.selector;
        }
        ++checked;
      }
      EXPECT_EQ(values[at], uuids.at(file)) << file << " /PCUUID";
    }
  }
  EXPECT_EQ(checked, 316u * 64);
}

// One structure's expected value for a selector (index from 1).
struct Instance {
  std::string selector;
  size_t index;
  std::string value;
};

std::map<std::string, std::vector<Instance>> ReadInstances() {
  std::ifstream in(TestData("corpus/instances.tsv"), std::ios::binary);
  std::map<std::string, std::vector<Instance>> tables;
  std::string line;
  std::getline(in, line);  // header
  while (std::getline(in, line)) {
    size_t a = line.find('\t');
    size_t b = line.find('\t', a + 1);
    size_t c = line.find('\t', b + 1);
    if (c == std::string::npos) continue;
    tables[Unescape(line.substr(0, a))].push_back(
        {line.substr(a + 1, b - a - 1), std::stoul(line.substr(b + 1, c - b - 1)),
         Unescape(line.substr(c + 1))});
  }
  return tables;
}

// Every structure's value, through ":*" (every field selector of a table in
// one run) and through ":N", one past the last included. A selector whose
// type the table lacks gives one absent value for ":*" and for ":1".
TEST(Corpus, EveryInstanceOnEveryTable) {
  std::map<std::string, std::vector<Instance>> tables = ReadInstances();
  std::map<std::string, std::vector<Expectation>> expected = ReadExpectations();
  ASSERT_EQ(tables.size(), 316u);
  size_t checked = 0;
  for (const auto& [file, expectations] : expected) {
    std::string from = "/FROM:" + TestData("corpus/" + file);
    std::map<std::string, std::vector<const Instance*>> bySelector;
    for (const Instance& instance : tables[file]) {
      std::vector<const Instance*>& list = bySelector[instance.selector];
      ASSERT_EQ(instance.index, list.size() + 1) << file << " " << instance.selector;
      list.push_back(&instance);
    }
    std::vector<std::string> all = {from, "/TAB"};
    std::vector<std::string> want;
    std::vector<std::string> one = {from, "/TAB"};
    std::vector<std::string> wantOne;
    auto runOne = [&] {
      EXPECT_EQ(Values(RunTool(one).out), wantOne) << file;
      one.resize(2);
      wantOne.clear();
    };
    auto addOne = [&](const std::string& selector, size_t index, const std::string& value) {
      one.push_back(selector + ":" + std::to_string(index));
      wantOne.push_back(value);
      if (one.size() == 100) runOne();
    };
    for (const Expectation& e : expectations) {
      if (e.selector == "/MEMTOTAL" || e.selector == "/BIOSDATE+ISO") continue;
      const std::vector<const Instance*>& list = bySelector[e.selector];
      all.push_back(e.selector + ":*");
      for (size_t i = 0; i < list.size(); ++i) {
        want.push_back(list[i]->value);
        addOne(e.selector, i + 1, list[i]->value);
      }
      if (list.empty()) want.push_back("");
      addOne(e.selector, list.size() + 1, "");
      checked += list.size();
    }
    if (one.size() > 2) runOne();
    EXPECT_EQ(Values(RunTool(all).out), want) << file << " :*";
  }
  EXPECT_EQ(checked, 35803u);
}

// What no dmidecode release names yet, on a table of the newest standard:
// the socket type string, and the form factors and memory type its
// reference added last.
TEST(Corpus, NewestStandardsOwnNames) {
  ToolResult result = RunTool({"/FROM:" + TestData("corpus/newer/newer-dev-01.bin"), "/TAB",
                               "/PROCESSORSOCKETTYPE:*", "/MEMFORMFACTOR:*", "/MEMTYPE:*",
                               "/PROCESSORSIGNATURE"});
  EXPECT_EQ(result.out,
            "Socket 68\tLGA\tPGA 1234\tSocket 71\tSODIMM\tCAMM\tCUDIMM\tCSODIMM\t"
            "LPDDR5\tHBM3\tMRDIMM\tDDR5\tProcessor Identity 0x00000000\t");
}

// A table saved with /DUMP reads back the same, through the tool and, where
// it is installed, through dmidecode.
TEST(Corpus, SavedDumpsReadBackUnchanged) {
  std::string saved = "/tmp/tarnlix-roundtrip-" + std::to_string(getpid()) + ".bin";
  const std::string dmidecode = "/usr/sbin/dmidecode";
  bool haveDmidecode = access(dmidecode.c_str(), X_OK) == 0;
  for (const auto& [file, expectations] : ReadExpectations()) {
    std::string from = "/FROM:" + TestData("corpus/" + file);
    ToolResult dump = RunTool({from, "/DUMP:" + saved, "/ALL"});
    ASSERT_EQ(dump.exitCode, 0) << file << dump.out;
    ToolResult back = RunTool({"/FROM:" + saved, "/ALL"});
    // A table that gave no version is saved with the one it was decoded as.
    std::string original = dump.out;
    if (original.rfind("- SMBBios", 0) != 0) original = "- SMBBios data v3.0 -\n\n" + original;
    EXPECT_EQ(back.out, original) << file;
    std::vector<std::string> fields = {"/TAB", "/PCUUID"};
    for (const Expectation& e : expectations) {
      if (e.selector != "/BIOSDATE+ISO") fields.push_back(e.selector);
    }
    std::vector<std::string> first = fields;
    first.insert(first.begin(), from);
    fields.insert(fields.begin(), "/FROM:" + saved);
    EXPECT_EQ(RunTool(fields).out, RunTool(first).out) << file;
    if (haveDmidecode && file.rfind("machines/", 0) == 0) {
      auto decoded = [&dmidecode](const std::string& path) {
        ToolOptions options;
        options.executable = dmidecode;
        ToolResult r = RunTool({"--from-dump", path}, options);
        return r.out.substr(std::min(r.out.find("Handle "), r.out.size()));
      };
      EXPECT_EQ(decoded(saved), decoded(TestData("corpus/" + file))) << file;
    }
  }
  std::remove(saved.c_str());
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// The UUID dmidecode reads from a dump file, in upper case; empty when it
// reads none.
std::string DmidecodeUuid(const std::string& path) {
  ToolOptions options;
  options.executable = "/usr/sbin/dmidecode";
  std::string out = RunTool({"--from-dump", path, "-s", "system-uuid"}, options).out;
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out.size() == 36 ? Upper(out) : "";
}

// The UUID's byte order follows the table's version, so the version must
// mean the same to every reader: a dump tarnlix saves, and a table whose
// firmware misreports its version (2.31 or 2.33 for 2.3, 2.51 for 2.6, as
// VMware and others write it), read by dmidecode, which corrects exactly
// these, give the UUID tarnlix gives.
TEST(Corpus, UuidAgreesWithDmidecodeOnSavedAndMisreportedTables) {
  if (access("/usr/sbin/dmidecode", X_OK) != 0) GTEST_SKIP() << "dmidecode is not installed";
  std::string saved = "/tmp/tarnlix-uuid-" + std::to_string(getpid()) + ".bin";
  std::string patched = saved + ".patched";
  int compared = 0;
  for (const auto& [file, expectations] : ReadExpectations()) {
    if (file.rfind("raw/", 0) != 0) continue;
    ToolResult dump = RunTool({"/FROM:" + TestData("corpus/" + file), "/DUMP:" + saved, "/PCUUID"});
    ASSERT_EQ(dump.exitCode, 0) << file << dump.out;
    EXPECT_EQ(DmidecodeUuid(saved), dump.out) << file;
    std::ifstream in(saved, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (auto [minor, meant] : {std::pair{31, "2.3"}, {33, "2.3"}, {51, "2.6"}}) {
      // The 32-bit entry point such firmware publishes, then the table.
      std::string table = bytes.substr(0x20);
      std::string entry(0x20, '\0');
      entry.replace(0, 4, "_SM_");
      entry[0x05] = 0x1F;
      entry[0x06] = 2;
      entry[0x07] = static_cast<char>(minor);
      entry.replace(0x10, 5, "_DMI_");
      entry[0x16] = static_cast<char>(table.size() & 0xFF);
      entry[0x17] = static_cast<char>(table.size() >> 8);
      entry[0x18] = 0x20;
      entry[0x1E] = 0x23;
      auto checksum = [&entry](size_t at, size_t from, size_t size) {
        unsigned sum = 0;
        for (size_t i = from; i < from + size; ++i) sum += static_cast<unsigned char>(entry[i]);
        entry[at] = static_cast<char>(0x100 - sum % 0x100);
      };
      checksum(0x15, 0x10, 0x0F);
      checksum(0x04, 0x00, 0x1F);
      std::ofstream(patched, std::ios::binary) << entry << table;
      std::string from = "/FROM:" + patched;
      EXPECT_EQ(RunTool({from, "/PCUUID"}).out, DmidecodeUuid(patched)) << file << " 2." << minor;
      std::string version = std::string("\"SMBIOS\": \"") + meant + "\"";
      EXPECT_NE(RunTool({from, "/JSON"}).out.find(version), std::string::npos) << file;
      ++compared;
    }
  }
  EXPECT_EQ(compared, 16 * 3);
  std::remove(saved.c_str());
  std::remove(patched.c_str());
}

}  // namespace
}  // namespace tarnlix::e2e
