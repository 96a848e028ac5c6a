// The walk, every accessor and both reports on arbitrary table bytes, through
// the real load path: once as the firmware service's header form, once as a
// saved file (whose layout is detected from its bytes: a bare table for most
// inputs), as whole runs that ask for every field and every structure at
// once, as the JSON document, which an independent parser must accept, and
// as the Prometheus exposition, every line of it in its form.
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/utf8.h"
#include "fuzz_support.h"

namespace tarnlix::fuzz {
namespace {

void FromFirmwareService(const std::vector<uint8_t>& bytes) {
  fake::FakePlatform fake;
  fake.firmware.table = bytes;
  {
    SmbiosReader reader;
    bool loaded = reader.Load();
    // Only an empty service answer leaves every source without a table.
    FUZZ_CHECK(loaded == !bytes.empty());
    if (loaded) {
      // The walk is done with the firmware copy as soon as it has the store.
      FUZZ_CHECK(reader.rawTable == nullptr);
      CheckStore(reader, bytes);
      ExerciseReader(fake, reader);
    }
  }
  CheckReleased(fake);
}

void FromSavedFile(const std::vector<uint8_t>& bytes) {
  fake::FakePlatform fake;
  fake.system.files["table.bin"] = bytes;
  {
    SmbiosReader reader;
    reader.SetSourceFile("table.bin");
    if (reader.Load()) {
      FUZZ_CHECK(reader.rawTable != nullptr);
      CheckStore(reader, bytes);
      ExerciseReader(fake, reader);
    } else {
      FUZZ_CHECK(fake.system.out.rfind("Error: cannot read SMBIOS table from table.bin: ", 0) == 0);
    }
  }
  CheckReleased(fake);
}

// A whole run on the table as the firmware service's answer: with no table
// it fails, otherwise it succeeds and its output passes check.
template <typename Check>
void CheckedRun(const std::vector<uint8_t>& bytes, const std::vector<std::string>& arguments,
                Check check) {
  fake::FakePlatform fake;
  fake.firmware.table = bytes;
  fake::RunResult result = fake::Run(fake, arguments);
  if (bytes.empty()) {
    FUZZ_CHECK(result.exitCode == 1);
    return;
  }
  FUZZ_CHECK(result.exitCode == 0);
  check(result.out);
  CheckReleased(fake);
}

// Every field selector in CSV runs of at most 100 selectors, then every
// structure of each through ":*", then the second of each: the selector
// output, the quoting and the final line end over whatever the store holds.
void WholeRun(const std::vector<uint8_t>& bytes, const char* suffix) {
  std::vector<std::string> arguments = {"/CSV", "/ISO"};
  auto run = [&bytes, &arguments] {
    CheckedRun(bytes, arguments, [&arguments](const std::string& out) {
      FUZZ_CHECK(out.size() >= 2 * (arguments.size() - 2) + 1);
      FUZZ_CHECK(out.front() == '"');
      FUZZ_CHECK(out.compare(out.size() - 2, 2, "\"\n") == 0);
    });
    arguments.resize(2);
  };
  for (const SelectorRow& row : SelectorTable()) {
    if (row.kind != SelectorKind::Field) continue;
    arguments.push_back(row.text + std::string(suffix));
    if (arguments.size() == 102) run();
  }
  if (arguments.size() > 2) run();
}

// The JSON document of the whole table and of every selector at once, read
// by an independent parser: it must be one valid JSON value, in valid UTF-8,
// whatever bytes the strings held.
void JsonRun(const std::vector<uint8_t>& bytes, bool selectorForm) {
  std::vector<std::string> arguments = {"/JSON", "/ISO"};
  if (selectorForm) {
    for (const SelectorRow& row : SelectorTable()) {
      if (arguments.size() == 100) break;
      arguments.push_back(row.text + std::string(row.kind == SelectorKind::Field ? ":*" : ""));
    }
  }
  CheckedRun(bytes, arguments, [](const std::string& out) {
    FUZZ_CHECK(nlohmann::json::accept(out));
    FUZZ_CHECK(out.compare(out.size() - 2, 2, "}\n") == 0);
  });
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

// The Prometheus exposition of the whole table: every line has its form,
// the whole is UTF-8, and it ends with a line end.
void PromRun(const std::vector<uint8_t>& bytes) {
  CheckedRun(bytes, {"/PROM"}, [](const std::string& out) {
    FUZZ_CHECK(!out.empty() && out.back() == '\n');
    const auto* text = reinterpret_cast<const unsigned char*>(out.data());
    FUZZ_CHECK(IsUtf8(text, text + out.size()));
    size_t start = 0;
    for (size_t end; (end = out.find('\n', start)) != std::string::npos; start = end + 1) {
      FUZZ_CHECK(IsExpositionLine(out.substr(start, end - start)));
    }
  });
}

}  // namespace
}  // namespace tarnlix::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  tarnlix::fuzz::FromFirmwareService(bytes);
  tarnlix::fuzz::FromSavedFile(bytes);
  for (const char* suffix : {"", ":*", ":2"}) tarnlix::fuzz::WholeRun(bytes, suffix);
  for (bool selectorForm : {false, true}) tarnlix::fuzz::JsonRun(bytes, selectorForm);
  tarnlix::fuzz::PromRun(bytes);
  return 0;
}
