// The Windows build on a real Win32 implementation (Wine in CI): what only
// Windows shows (its firmware-table and registry services, console-less
// runs, text-mode output bytes, device paths), and that the exe answers as
// the Linux build does wherever the two must agree. The Linux build's
// answers are written beforehand by linux-reference.sh.
//
// The same program is the helper that the checks run:
//   tarnlix_windows_checks run-without-firmware ARGS...
//       runs tarnlix with the firmware-table entry point hidden, as on a
//       system that predates it, so the table comes from the registry
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "acquire/raw_table.h"
#include "cli/run.h"
#include "platform/platform.h"
#include "platform/win32/win32_platform.h"
#include "run_tool.h"
#include "unit/test_support.h"

namespace tarnlix::e2e {
namespace {

constexpr char kSubKey[] = "SYSTEM\\CurrentControlSet\\Services\\mssmbios\\Data";
constexpr char kValueName[] = "SMBiosData";
const std::string kLoadFailure = " \xFE Error: Failed to retrieve BIOS information\r\n";

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Dell() { return "/FROM:" + TestData("corpus/raw/dell-r630.bin"); }

// An answer of the Linux build to the same question.
struct LinuxAnswer {
  std::string out;
  int exitCode = -1;
};

LinuxAnswer Linux(const std::string& name) {
  std::string base = std::string(TARNLIX_LINUX_REFERENCE) + "/" + name;
  LinuxAnswer answer;
  answer.out = Contents(base + ".out");
  std::string rc = Contents(base + ".rc");
  if (!rc.empty()) answer.exitCode = std::stoi(rc);
  return answer;
}

// The Linux build's output in the Windows build's bytes: text-mode line
// ends, and the square bullet as 0xFE of the console's code page.
std::string WindowsBytes(const std::string& linux) {
  std::string out;
  for (size_t i = 0; i < linux.size(); ++i) {
    if (linux.compare(i, 3, "\xE2\x96\xA0") == 0) {
      out += '\xFE';
      i += 2;
    } else {
      if (linux[i] == '\n') out += '\r';
      out += linux[i];
    }
  }
  return out;
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() &&
         text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool StartsWith(const std::string& text, const std::string& start) {
  return text.compare(0, start.size(), start) == 0;
}

// A LF without its CR, or a CR doubled before it, in text-mode output.
int LineEndFaults(const std::string& text) {
  int faults = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\n') continue;
    if (i == 0 || text[i - 1] != '\r' || (i >= 2 && text[i - 2] == '\r')) ++faults;
  }
  return faults;
}

std::string ThisProgram() {
  char path[MAX_PATH + 1] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  return path;
}

// ---------------------------------------------------------------------------
// The firmware-table service: the first source of a run on the system.

TEST(FirmwareTable, AllPrintsTheVersionOfTheSystemsTable) {
  // Asked of the system directly, not through the tool.
  using Function = UINT(WINAPI*)(DWORD, DWORD, PVOID, DWORD);
  HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
  ASSERT_NE(kernel, nullptr);
  auto call = reinterpret_cast<Function>(reinterpret_cast<void*>(
      ::GetProcAddress(kernel, "GetSystemFirmwareTable")));
  ASSERT_NE(call, nullptr);
  UINT size = call(kProviderRsmb, 0, nullptr, 0);
  ASSERT_GE(size, kRawHeaderSize);
  std::vector<uint8_t> table(size);
  ASSERT_NE(call(kProviderRsmb, 0, table.data(), size), 0u);
  int major = static_cast<int8_t>(table[1]);
  int minor = static_cast<int8_t>(table[2]);

  ToolResult all = RunTool({"/ALL"});
  EXPECT_EQ(all.exitCode, 0);
  std::string version =
      "- SMBBios data v" + std::to_string(major) + "." + std::to_string(minor) + " -\r\n";
  if (major > 0) {
    EXPECT_TRUE(StartsWith(all.out, version)) << all.out.substr(0, 80);
  } else {
    EXPECT_FALSE(StartsWith(all.out, "- SMBBios")) << "header version " << major;
  }
  EXPECT_EQ(LineEndFaults(all.out), 0);

  ToolResult serial = RunTool({"/PCSERIAL"});
  EXPECT_EQ(serial.exitCode, 0) << serial.out;
  EXPECT_EQ(serial.out.find_first_of("\r\n"), std::string::npos) << serial.out;
}

// ---------------------------------------------------------------------------
// The registry: where the system keeps the table for programs that predate
// the firmware-table service.

void StoreRegistryValue(const std::string& bytes) {
  HKEY key = nullptr;
  ASSERT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSubKey, 0, nullptr, 0,
                              KEY_SET_VALUE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(::RegSetValueExA(key, kValueName, 0, REG_BINARY,
                             reinterpret_cast<const BYTE*>(bytes.data()),
                             static_cast<DWORD>(bytes.size())),
            ERROR_SUCCESS);
  ::RegCloseKey(key);
}

// The value as Windows stores it, and one of 17 KB, far past any fixed
// 4 KiB buffer.
const char* const kRegistryValues[] = {"laptop", "hyperv"};

TEST(Registry, ThePredefinedRootIsTheSystemsOwnHandle) {
  EXPECT_EQ(win32::PredefinedKey(kHkeyLocalMachine),
            static_cast<void*>(HKEY_LOCAL_MACHINE));
}

TEST(Registry, TheReaderReturnsExactlyTheValuesBytes) {
  for (const char* name : kRegistryValues) {
    SCOPED_TRACE(name);
    std::string expected =
        Contents(std::string(TARNLIX_LINUX_REFERENCE) + "/registry/" + name + ".bin");
    ASSERT_GT(expected.size(), kRawHeaderSize);
    StoreRegistryValue(expected);
    InstallPlatform(NativePlatform());
    RawTablePtr table = ReadRegistryBinaryValue(kHkeyLocalMachine, kSubKey, kValueName);
    ASSERT_TRUE(table);
    EXPECT_EQ(table->source, RawTableSource::Registry);
    EXPECT_TRUE(table->hasHeader);
    // The bytes travel in a length-prefixed byte string; its own count must
    // be the registry's, or a later release or copy would use a wrong size.
    EXPECT_EQ(::SysStringByteLen(reinterpret_cast<BSTR>(table->data)), expected.size());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(table->data), table->length),
              expected);
  }
}

TEST(Registry, ARunWithoutTheFirmwareTableEqualsTheLinuxBuild) {
  for (const char* name : kRegistryValues) {
    SCOPED_TRACE(name);
    StoreRegistryValue(
        Contents(std::string(TARNLIX_LINUX_REFERENCE) + "/registry/" + name + ".bin"));
    ToolOptions options;
    options.executable = ThisProgram();
    ToolResult run = RunTool({"run-without-firmware", "/ALL"}, options);
    LinuxAnswer linux = Linux(std::string("registry/") + name);
    EXPECT_EQ(run.exitCode, linux.exitCode);
    EXPECT_EQ(run.out, WindowsBytes(linux.out));
  }
}

// ---------------------------------------------------------------------------
// Runs as a script makes them.

TEST(Run, DirectWithoutAPhysicalMemorySectionFailsWithError1) {
  ToolResult run = RunTool({"/DIRECT", "/PCNAME"});
  EXPECT_EQ(run.out, "Error: TarnlixDataNT2() failed (Error 1)\r\n" + kLoadFailure);
  EXPECT_EQ(run.exitCode, 1);
}

TEST(Run, NamePrintsTheUnqualifiedHostName) {
  ToolResult run = RunTool({"/NAME"});
  EXPECT_EQ(run.out, Linux("hostname").out);
  EXPECT_EQ(run.exitCode, 0);
}

TEST(Run, HelpWithoutAConsoleEndsAtOnceWithTheLinuxBuildsText) {
  ToolOptions options;
  options.timeoutMs = 30000;
  ToolResult run = RunTool({"/?"}, options);
  ASSERT_FALSE(run.timedOut) << "still running after 30 s: waiting for a key?";
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_NE(run.out.find("\r\nSyntax: Tarnlix [/switches]\r\n"), std::string::npos);
  EXPECT_EQ(run.out, WindowsBytes(Linux("help").out));
}

TEST(Run, OutputHasTextModeLineEndsBareValuesAndTheBullet) {
  struct Case {
    std::vector<std::string> arguments;
    std::string out;
  };
  const Case cases[] = {
      {{Dell(), "/PCSERIAL"}, "790H8D2"},
      {{Dell(), "/CRLF", "/PCSERIAL"}, "790H8D2\r\n"},
      {{Dell(), "/CSV", "/PCMAKER", "/PCSERIAL", "/NOSUCH"},
       "\"Dell Inc.\",\"790H8D2\",\"\"\r\n"},
      {{Dell(), "/TAB", "/PCSERIAL", "/PCNAME"}, "790H8D2\tPowerEdge R630\t"},
      {{Dell(), "/LINES", "/MEMDEVLOC:3", "/MEMSIZE:3", "/MEMSERIAL:3"},
       "A3\r\n16384\r\n12BDC045\r\n"},
      {{Dell(), "/CSV", "/PROCESSORSPEED:*", "/MEMTOTAL"}, "\"2400\",\"\",\"32768\"\r\n"},
      {{Dell(), "/JSON", "/PCSERIAL", "/MEMSIZE:3", "/BATLOC:*"},
       "{\r\n  \"PCSERIAL\": \"790H8D2\",\r\n  \"MEMSIZE:3\": 16384,\r\n  \"BATLOC:*\": [],\r\n"
       "  \"SOURCE\": \"file\",\r\n  \"PARTIAL\": false\r\n}\r\n"},
  };
  for (const Case& c : cases) {
    ToolResult run = RunTool(c.arguments);
    EXPECT_EQ(run.out, c.out) << c.arguments[1];
    EXPECT_EQ(run.exitCode, 0) << c.arguments[1];
  }
  ToolResult failed = RunTool({"/FROM:" + TestData("corpus/raw/no-such-table.bin"), "/PCSERIAL"});
  EXPECT_TRUE(EndsWith(failed.out, kLoadFailure)) << failed.out;
  ToolResult all = RunTool({Dell(), "/ALL"});
  EXPECT_NE(all.out.find("\r\n"), std::string::npos);
  EXPECT_EQ(LineEndFaults(all.out), 0);
}

// Standard output is a pipe whose reader has already gone, so every write
// fails: the tool must neither report success nor go on writing.
TEST(Run, AClosedPipeEndsTheRunWithExitCode1) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE reader = nullptr;
  HANDLE writer = nullptr;
  ASSERT_TRUE(::CreatePipe(&reader, &writer, &inherit, 0));
  ::CloseHandle(reader);
  HANDLE in = ::CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ, &inherit,
                            OPEN_EXISTING, 0, nullptr);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in;
  startup.hStdOutput = writer;
  startup.hStdError = writer;
  std::string command =
      "\"" + ToolPath() + "\" /FROM:" + TestData("corpus/raw/hyperv.bin") + " /ALL";
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(::CreateProcessA(ToolPath().c_str(), command.data(), nullptr, nullptr,
                               TRUE, DETACHED_PROCESS, nullptr, nullptr, &startup,
                               &process));
  ::CloseHandle(writer);
  ::CloseHandle(in);
  EXPECT_EQ(::WaitForSingleObject(process.hProcess, 10000), WAIT_OBJECT_0);
  ::TerminateProcess(process.hProcess, 255);
  DWORD code = 0;
  ::GetExitCodeProcess(process.hProcess, &code);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  EXPECT_EQ(code, 1u);
}

// Paths that are not a table end the run with the read error and the
// load-failure line, at once: a device is never waited on.
TEST(Run, FromRefusesWhatIsNotATableAtOnce) {
  test::TempDir dir;
  const std::string paths[] = {TestData("corpus/raw/no-such-table.bin"),
                               dir.Write("empty.bin", ""), "NUL", "CON", "COM1"};
  for (const std::string& path : paths) {
    ToolResult run = RunTool({"/FROM:" + path, "/PCNAME"});
    std::string start = "Error: cannot read SMBIOS table from " + path + ": ";
    EXPECT_FALSE(run.timedOut) << path;
    EXPECT_EQ(run.exitCode, 1) << path;
    EXPECT_TRUE(StartsWith(run.out, start) && EndsWith(run.out, "\r\n" + kLoadFailure) &&
                run.out.size() > start.size() + 2 + kLoadFailure.size())
        << run.out;
  }
}

// A directory is listed through the Windows file calls: its tables in name
// order, each line its path and the Linux build's values; and /DIFF says
// what the Linux build says.
TEST(Run, SeveralTablesAndDiffAnswerAsTheLinuxBuild) {
  const std::string raw = TestData("corpus/raw");
  ToolResult several = RunTool({"/FROM:" + raw, "/CSV", "/PCSERIAL", "/MEMTOTAL"});
  EXPECT_EQ(several.exitCode, 0);
  std::string linux = Linux("several").out;
  std::string withoutPaths;
  std::vector<std::string> files;
  for (size_t at = 0; at < several.out.size();) {
    size_t end = several.out.find("\r\n", at);
    if (end == std::string::npos) break;
    std::string line = several.out.substr(at, end - at);
    size_t comma = line.find("\",\"");
    ASSERT_NE(comma, std::string::npos) << line;
    files.push_back(line.substr(1, comma - 1));
    withoutPaths += line.substr(comma + 2) + "\n";
    at = end + 2;
  }
  EXPECT_EQ(withoutPaths, linux);
  std::vector<std::string> expected;
  for (const auto& entry : std::filesystem::directory_iterator(raw)) {
    expected.push_back(raw + "\\" + entry.path().filename().string());
  }
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(files, expected);

  ToolResult diff = RunTool({"/FROM:" + TestData("corpus/raw/dell-poweredge-r640.bin"),
                             "/DIFF:" + TestData("corpus/raw/dell-r630.bin")});
  EXPECT_EQ(diff.exitCode, 8);
  EXPECT_EQ(diff.out, WindowsBytes(Linux("diff").out));
}

// /DUMP writes through the Windows file calls: the saved file is the Linux
// build's byte for byte, replaces an existing file without leaving a
// temporary behind, and a save that cannot be made fails the run.
TEST(Run, DumpSavesTheLinuxBuildsBytesAndReportsAFailedSave) {
  test::TempDir dir;
  const std::string saved = dir.Path("saved.bin");
  const std::string linuxDump = Contents(std::string(TARNLIX_LINUX_REFERENCE) + "/dump.bin");
  ASSERT_FALSE(linuxDump.empty());
  ToolResult run = RunTool({Dell(), "/DUMP:" + saved, "/PCUUID"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, Linux("dump").out);
  EXPECT_EQ(Contents(saved), linuxDump);

  ToolResult again = RunTool({"/FROM:" + saved, "/DUMP:" + saved, "/PCSERIAL"});
  EXPECT_EQ(again.out, "790H8D2");
  EXPECT_EQ(Contents(saved), linuxDump);
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    EXPECT_EQ(entry.path().filename().string(), "saved.bin");
    ++files;
  }
  EXPECT_EQ(files, 1u);

  const std::string nowhere = dir.Path("no/such/dir/t.bin");
  ToolResult failed = RunTool({Dell(), "/DUMP:" + nowhere, "/PCSERIAL"});
  EXPECT_EQ(failed.exitCode, 1);
  EXPECT_NE(failed.out.find("Error: cannot write " + nowhere + ": "), std::string::npos)
      << failed.out;
  EXPECT_EQ(LineEndFaults(failed.out), 0);
}

// ---------------------------------------------------------------------------
// Every table of the corpus gives the Linux build's full report and JSON
// document (which holds every structure's values). Its values are checked
// against expected.tsv by the end-to-end corpus test, which this program runs
// on the exe too.

std::vector<std::string> CorpusTables() {
  std::ifstream in(TestData("corpus/expected.tsv"), std::ios::binary);
  std::vector<std::string> tables;
  std::set<std::string> seen;
  std::string line;
  std::getline(in, line);  // header
  while (std::getline(in, line)) {
    std::string table = line.substr(0, line.find('\t'));
    if (seen.insert(table).second) tables.push_back(table);
  }
  return tables;
}

class CorpusReport : public testing::TestWithParam<std::string> {};

// The report of each table, and the JSON document of each raw dump (those of
// the others are read a directory at a time, below).
TEST_P(CorpusReport, EqualsTheLinuxBuilds) {
  for (const char* form : {"/ALL", "/JSON"}) {
    bool all = form == std::string("/ALL");
    if (!all && !StartsWith(GetParam(), "raw/")) continue;
    ToolResult run = RunTool({"/FROM:" + TestData("corpus/" + GetParam()), form});
    LinuxAnswer linux = Linux((all ? "corpus/" : "json/") + GetParam());
    EXPECT_EQ(run.exitCode, linux.exitCode) << form << " " << run.err;
    EXPECT_EQ(run.out, WindowsBytes(linux.out)) << form;
  }
}

INSTANTIATE_TEST_SUITE_P(EveryTable, CorpusReport, testing::ValuesIn(CorpusTables()),
                         [](const testing::TestParamInfo<std::string>& info) {
                           std::string name;
                           for (char c : info.param) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return name;
                         });

// A directory's JSON Lines, a document per table, are the Linux build's but
// for the paths (the system's own) and the line ends.
class JsonLines : public testing::TestWithParam<std::string> {};

TEST_P(JsonLines, EqualTheLinuxBuilds) {
  ToolResult run = RunTool({"/FROM:" + TestData("corpus/" + GetParam()), "/JSON"});
  LinuxAnswer linux = Linux("jsonl/" + GetParam());
  EXPECT_EQ(run.exitCode, linux.exitCode) << run.err;
  std::string withoutPaths;
  const std::string file = "{\"FILE\": \"";
  for (size_t at = 0; at < run.out.size();) {
    size_t end = run.out.find("\r\n", at);
    ASSERT_NE(end, std::string::npos);
    ASSERT_TRUE(StartsWith(run.out.substr(at), file));
    size_t quote = at + file.size();
    while (quote < end && run.out[quote] != '"') quote += run.out[quote] == '\\' ? 2 : 1;
    ASSERT_EQ(run.out.compare(quote, 3, "\", "), 0);
    withoutPaths += "{" + run.out.substr(quote + 3, end - quote - 3) + "\n";
    at = end + 2;
  }
  EXPECT_EQ(withoutPaths, linux.out);
}

INSTANTIATE_TEST_SUITE_P(EveryDirectory, JsonLines, testing::Values("raw", "machines"));

// The Prometheus exposition is the Linux build's byte for byte: its line ends
// stay LF, as the exporters read them.
TEST(PromExposition, EqualsTheLinuxBuildsWithLineFeeds) {
  for (const char* table : {"raw/dell-r630.bin", "raw/laptop-rsmb-3.2.bin", "raw/hyperv.bin"}) {
    ToolResult run = RunTool({"/FROM:" + TestData(std::string("corpus/") + table), "/PROM"});
    LinuxAnswer linux = Linux(std::string("prom/") + table);
    EXPECT_EQ(run.exitCode, linux.exitCode) << table;
    EXPECT_EQ(run.out, linux.out) << table;
    EXPECT_EQ(run.out.find('\r'), std::string::npos) << table;
  }
}

// ---------------------------------------------------------------------------
// The helper modes.

// The native module loader, except that the firmware-table service is
// reported missing.
class ModulesWithoutFirmwareTable : public ModuleApi {
 public:
  explicit ModulesWithoutFirmwareTable(ModuleApi* real) : real_(real) {}
  ModuleHandle LoadLibraryA(const char* name) override { return real_->LoadLibraryA(name); }
  ModuleHandle GetModuleHandleA(const char* name) override {
    return real_->GetModuleHandleA(name);
  }
  ProcAddress GetProcAddress(ModuleHandle module, const char* name) override {
    if (std::strcmp(name, "GetSystemFirmwareTable") == 0) return nullptr;
    return real_->GetProcAddress(module, name);
  }
  void FreeLibrary(ModuleHandle module) override { real_->FreeLibrary(module); }

 private:
  ModuleApi* real_;
};

[[noreturn]] void RunWithoutFirmware(int argc, char** argv) {
  static Platform patched = *NativePlatform();
  static ModulesWithoutFirmwareTable modules(patched.modules);
  patched.modules = &modules;
  InstallPlatform(&patched);
  EndProcess(RunTarnlix(argc, argv));
}

}  // namespace
}  // namespace tarnlix::e2e

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "run-without-firmware") == 0) {
    // argv[1] stands where the tool's own name would.
    tarnlix::e2e::RunWithoutFirmware(argc - 1, argv + 1);
  }
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
