// The walk, the decoders and every output on arbitrary table bytes, through
// the real load path and whole runs. Each input takes one path, chosen by
// its first three bytes; the rest is the table:
//   byte 0  the path: 0 decode a group's fields and print its report, 1 the
//           selectors of a group, 2 the JSON document, 3 the JSON document of
//           a group's selectors, 4 the Prometheus exposition (with /DIFF:),
//           5 the full report, 6 a group switch, 7 /DIFF: of two tables, 8
//           several tables in one run, 9 /STRICT, 10 the rest as udev's
//           memory properties of a table built without root (selectors or,
//           with bit 5 of byte 2, the JSON document, under /STRICT)
//   byte 1  the group (by its place in the group table), or where the table
//           is cut in two for /DIFF: and several tables; its top two bits
//           choose a selector's suffix
//   byte 2  switches: bit 0 /ISO, 1 /CSV, 2 /TAB, 3 /LINES, 4 /SPACE,
//           5 /CRLF and /JSON where a path has both forms, 6 the table from
//           a saved file instead of the firmware service
// Checks: every value in its row's form, the store's promises, every JSON
// document through an independent parser, every line of the exposition, the
// separators of the selector output, every block released by its own
// allocator.
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/utf8.h"
#include "fuzz_support.h"

namespace tarnlix::fuzz {
namespace {

struct Choices {
  uint8_t path;
  uint8_t group;
  uint8_t switches;
};

const StructureGroup& GroupOf(const Choices& c) {
  return StructureGroups()[c.group % StructureGroupCount()];
}

// The table where the run reads it: the firmware service's answer (in the
// header form), or a saved file.
std::vector<std::string> Source(fake::FakePlatform& fake, const Choices& c,
                                const std::vector<uint8_t>& bytes) {
  if (c.switches & 0x40) {
    fake.system.files["table.bin"] = bytes;
    return {"/FROM:table.bin"};
  }
  fake.firmware.table = bytes;
  return {};
}

std::vector<std::string> Switches(const Choices& c) {
  std::vector<std::string> out;
  const char* names[] = {"/ISO", "/CSV", "/TAB", "/LINES", "/SPACE", "/CRLF"};
  for (int bit = 0; bit < 6; ++bit) {
    if (c.switches & (1 << bit)) out.push_back(names[bit]);
  }
  return out;
}

// Every selector of the group, with the suffix byte 1 chooses.
std::vector<std::string> Selectors(const Choices& c) {
  static const char* const kSuffixes[] = {"", ":*", ":2", ":1"};
  const StructureGroup& group = GroupOf(c);
  std::vector<std::string> out;
  for (size_t i = 0; i < group.rowCount && out.size() < 90; ++i) {
    out.push_back(group.rows[i].selector + std::string(kSuffixes[c.group >> 6]));
  }
  return out;
}

fake::RunResult Run(fake::FakePlatform& fake, std::vector<std::string> arguments,
                    const std::vector<std::string>& more) {
  arguments.insert(arguments.end(), more.begin(), more.end());
  return fake::Run(fake, arguments);
}

void CheckJson(const std::string& out) {
  FUZZ_CHECK(nlohmann::json::accept(out));
  FUZZ_CHECK(out.size() >= 2 && out.compare(out.size() - 2, 2, "}\n") == 0);
}

// One line of the exposition: a family's HELP or TYPE, or a sample with
// quoted, escaped label values and a whole number.
bool IsExpositionLine(const std::string& line) {
  auto name = [&line](size_t at) {
    size_t start = at;
    while (at < line.size() && (std::isalnum(static_cast<unsigned char>(line[at])) || line[at] == '_')) ++at;
    return at > start && !std::isdigit(static_cast<unsigned char>(line[start])) ? at : std::string::npos;
  };
  if (line.rfind("# HELP tarnlix_", 0) == 0) {
    size_t end = name(7);
    return end != std::string::npos && end + 1 < line.size() && line[end] == ' ';
  }
  if (line.rfind("# TYPE tarnlix_", 0) == 0) {
    size_t end = name(7);
    return end != std::string::npos && line.compare(end, std::string::npos, " gauge") == 0;
  }
  if (line.rfind("tarnlix_", 0) != 0) return false;
  size_t at = name(0);
  if (at == std::string::npos) return false;
  if (line[at] == '{') {
    ++at;
    while (line[at] != '}') {
      at = name(at);
      if (at == std::string::npos || line.compare(at, 2, "=\"") != 0) return false;
      for (at += 2; at < line.size() && line[at] != '"'; ++at) {
        if (line[at] == '\\' && (++at == line.size() || std::strchr("\\\"n", line[at]) == nullptr)) {
          return false;
        }
      }
      if (at == line.size()) return false;
      ++at;
      if (line[at] == ',') ++at;
    }
    ++at;
  }
  if (at >= line.size() || line[at] != ' ' || at + 1 == line.size()) return false;
  for (++at; at < line.size(); ++at) {
    if (!std::isdigit(static_cast<unsigned char>(line[at]))) return false;
  }
  return true;
}

void CheckExposition(const std::string& out) {
  FUZZ_CHECK(!out.empty() && out.back() == '\n');
  const auto* text = reinterpret_cast<const unsigned char*>(out.data());
  FUZZ_CHECK(IsUtf8(text, text + out.size()));
  size_t start = 0;
  for (size_t end; (end = out.find('\n', start)) != std::string::npos; start = end + 1) {
    FUZZ_CHECK(IsExpositionLine(out.substr(start, end - start)));
  }
}

// A table that loads is never refused by a run: only an empty service
// answer, or a saved file that is no table, fails. (Asked before the run's
// own fake platform is made: one is installed at a time.)
bool Loads(const Choices& c, const std::vector<uint8_t>& bytes) {
  if (!(c.switches & 0x40)) return !bytes.empty();
  fake::FakePlatform fake;
  fake.system.files["t.bin"] = bytes;
  SmbiosReader reader;
  reader.SetSourceFile("t.bin", nullptr);
  return reader.Load();
}

void Decode(const Choices& c, const std::vector<uint8_t>& bytes) {
  fake::FakePlatform fake;
  {
    SmbiosReader reader;
    if (c.switches & 0x40) {
      fake.system.files["table.bin"] = bytes;
      reader.SetSourceFile("table.bin");
    } else {
      fake.firmware.table = bytes;
    }
    if (reader.Load()) {
      CheckStore(reader, bytes);
      ExerciseGroup(fake, reader, c.group);
      std::string damage = reader.Damage();
      FUZZ_CHECK(damage.find('\n') == std::string::npos);
    }
  }
  CheckReleased(fake);
}

// The two halves of the input, cut where byte 1 says.
std::pair<std::vector<uint8_t>, std::vector<uint8_t>> Halves(const Choices& c,
                                                            const std::vector<uint8_t>& bytes) {
  size_t cut = bytes.size() * c.group / 256;
  return {std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(cut)),
          std::vector<uint8_t>(bytes.begin() + static_cast<ptrdiff_t>(cut), bytes.end())};
}

// The table of what the system shows any user, udev's file being the bytes:
// never damaged, always partial.
void Published(const Choices& c, const std::vector<uint8_t>& bytes) {
  fake::FakePlatform fake;
  fake::FakePublished published;
  published.texts = {{"/PCNAME", "X"}};
  published.udev.assign(bytes.begin(), bytes.end());
  published.Publish(fake.platform);
  // /STRICT says the table is partial, and would say it is damaged.
  std::vector<std::string> arguments = {"/STRICT"};
  if (c.switches & 0x20) {
    arguments.push_back("/JSON");
  } else {
    std::vector<std::string> selectors = Selectors(c);
    arguments.insert(arguments.end(), selectors.begin(), selectors.end());
  }
  fake::RunResult result = fake::Run(fake, arguments);
  FUZZ_CHECK(result.exitCode == 1);
  // A selector with a suffix its field does not take is an unknown word.
  bool unknown = result.out.rfind("Error: unknown selector ", 0) == 0;
  FUZZ_CHECK(unknown || result.err == "Error: partial inventory: the whole SMBIOS table needs root\n");
  if (c.switches & 0x20 && !unknown) {
    CheckJson(result.out);
    FUZZ_CHECK(result.out.find("\n  \"PARTIAL\": true,\n") != std::string::npos);
  }
  CheckReleased(fake);
}

constexpr uint8_t kPaths = 11;

void OnePath(const Choices& c, const std::vector<uint8_t>& bytes) {
  if (c.path % kPaths == 0) return Decode(c, bytes);
  if (c.path % kPaths == 10) return Published(c, bytes);
  bool loads = Loads(c, bytes);
  fake::FakePlatform fake;
  switch (c.path % kPaths) {
    case 1: {
      std::vector<std::string> arguments = Switches(c);
      std::vector<std::string> source = Source(fake, c, bytes);
      fake::RunResult result = Run(fake, source, arguments);
      // No argument at all is the help screen, and exit code 0.
      FUZZ_CHECK(result.exitCode == (loads || (source.empty() && arguments.empty()) ? 0 : 1));
      if (!loads) break;
      std::vector<std::string> selectors = Selectors(c);
      fake.system.out.clear();
      arguments.insert(arguments.end(), selectors.begin(), selectors.end());
      result = Run(fake, Source(fake, c, bytes), arguments);
      FUZZ_CHECK(result.exitCode == 0);
      if (c.switches & 0x02) {
        FUZZ_CHECK(result.out.size() >= 3 && result.out.front() == '"');
        FUZZ_CHECK(result.out.compare(result.out.size() - 2, 2, "\"\n") == 0);
      }
      break;
    }
    case 2:
    case 3: {
      std::vector<std::string> arguments = {"/JSON"};
      if (c.switches & 0x01) arguments.push_back("/ISO");
      if (c.path % kPaths == 3) {
        std::vector<std::string> selectors = Selectors(c);
        arguments.insert(arguments.end(), selectors.begin(), selectors.end());
        arguments.push_back(GroupOf(c).selector);
      }
      fake::RunResult result = Run(fake, Source(fake, c, bytes), arguments);
      FUZZ_CHECK(result.exitCode == (loads ? 0 : 1));
      if (loads) CheckJson(result.out);
      break;
    }
    case 4: {
      auto [first, second] = Halves(c, bytes);
      fake.system.files["a.bin"] = first;
      fake.system.files["b.bin"] = second;
      std::vector<std::string> arguments = {"/PROM", "/FROM:a.bin", "/DIFF:b.bin"};
      if (!(c.switches & 0x20)) {
        arguments = Source(fake, c, bytes);
        arguments.push_back("/PROM");
      }
      fake::RunResult result = fake::Run(fake, arguments);
      if (result.exitCode == 0 || result.exitCode == 8) CheckExposition(result.out);
      break;
    }
    case 5:
    case 6: {
      std::vector<std::string> arguments = {c.path % kPaths == 5 ? "/ALL" : GroupOf(c).selector};
      fake::RunResult result = Run(fake, Source(fake, c, bytes), arguments);
      FUZZ_CHECK(result.exitCode == (loads ? 0 : 1));
      if (loads && c.path % kPaths == 6) {
        std::string title = std::string(GroupHeading(GroupOf(c).type)) + "\n\n";
        FUZZ_CHECK(result.out.compare(0, title.size(), title) == 0);
      }
      break;
    }
    case 7: {
      auto [first, second] = Halves(c, bytes);
      fake.system.files["a.bin"] = first;
      fake.system.files["b.bin"] = second;
      std::vector<std::string> arguments = {"/FROM:a.bin", "/DIFF:b.bin"};
      if (c.switches & 0x20) arguments.push_back("/JSON");
      fake::RunResult result = fake::Run(fake, arguments);
      FUZZ_CHECK(result.exitCode == 0 || result.exitCode == 8 || result.exitCode == 1);
      if (result.exitCode == 0) FUZZ_CHECK(c.switches & 0x20 || result.out.empty());
      if (result.exitCode != 1 && (c.switches & 0x20)) CheckJson(result.out);
      // A table against itself is no change.
      fake.system.out.clear();
      fake::RunResult same = fake::Run(fake, {"/FROM:a.bin", "/DIFF:a.bin"});
      FUZZ_CHECK(same.exitCode == 1 || (same.exitCode == 0 && same.out.empty()));
      break;
    }
    case 8: {
      auto [first, second] = Halves(c, bytes);
      fake.system.directories.insert("dir");
      fake.system.files["dir/a.bin"] = first;
      fake.system.files["dir/b.bin"] = second;
      std::vector<std::string> arguments = {"/FROM:dir"};
      if (c.switches & 0x20) arguments.push_back("/JSON");
      if (c.switches & 0x02) arguments.push_back("/CSV");
      std::vector<std::string> selectors = Selectors(c);
      if (c.switches & 0x01) arguments.insert(arguments.end(), selectors.begin(), selectors.end());
      fake::RunResult result = fake::Run(fake, arguments);
      FUZZ_CHECK(result.exitCode == 0 || result.exitCode == 1);
      // One line per table; under /JSON each one document.
      size_t lines = 0;
      for (size_t start = 0, end; (end = result.out.find('\n', start)) != std::string::npos;
           start = end + 1, ++lines) {
        if (c.switches & 0x20) {
          FUZZ_CHECK(nlohmann::json::accept(result.out.substr(start, end - start)));
        }
      }
      if (c.switches & 0x20) FUZZ_CHECK(lines == 2);
      break;
    }
    case 9: {
      std::vector<std::string> arguments = Switches(c);
      arguments.push_back("/STRICT");
      std::vector<std::string> selectors = Selectors(c);
      arguments.insert(arguments.end(), selectors.begin(), selectors.end());
      fake::RunResult result = Run(fake, Source(fake, c, bytes), arguments);
      FUZZ_CHECK(result.exitCode == 0 || result.exitCode == 1);
      FUZZ_CHECK(result.err.empty() || result.err.rfind("Error: damaged SMBIOS table: ", 0) == 0);
      FUZZ_CHECK(result.err.empty() || result.exitCode == 1);
      break;
    }
  }
  CheckReleased(fake);
}

}  // namespace
}  // namespace tarnlix::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  tarnlix::fuzz::Choices choices{data[0], data[1], data[2]};
  tarnlix::fuzz::OnePath(choices, std::vector<uint8_t>(data + 3, data + size));
  return 0;
}
