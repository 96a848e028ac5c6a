// The built tool at its limits, as a script runs it: long, empty and
// non-ASCII arguments, saved-file paths that are not ordinary files, and
// standard output that is a closed pipe or a full disk.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "run_tool.h"
#include "unit/table_builder.h"

namespace tarnlix::e2e {
namespace {

using Bytes = std::vector<uint8_t>;

const char kLoadFailed[] = " \xE2\x96\xA0 Error: Failed to retrieve BIOS information\n";

std::string CannotRead(const std::string& path, const std::string& reason) {
  return "Error: cannot read SMBIOS table from " + path + ": " + reason + "\n" + kLoadFailed;
}

// A private directory for the files of one test, removed afterwards.
class Scratch {
 public:
  Scratch() {
    char pattern[] = "/tmp/tarnlix-limits-XXXXXX";
    const char* made = mkdtemp(pattern);
    dir_ = made != nullptr ? made : "";
  }
  ~Scratch() {
    std::error_code ignored;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, ignored);
  }
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  std::string Write(const std::string& name, const Bytes& bytes) const {
    std::ofstream out(Path(name), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return Path(name);
  }

 private:
  std::string dir_;
};

Bytes SerialTable() {
  return test::HeaderForm(test::BareTable(
      {test::SystemInfo({"Maker", "Model", "Ver", "SER123"}), test::EndOfTable()}));
}

// 99,999 OEM-string structures and a system structure, and what "/ALL"
// prints for them: some megabytes of report.
Bytes LargeTable(std::string* report) {
  test::Structure oem(11, 5, {{0x04, 1}}, {"oem"});
  std::vector<test::Structure> structures(99999, oem);
  structures.push_back(test::SystemInfo({"Maker", "Model", "Ver", "SER123"}));
  const std::string oemBlock = "OEM Strings:\n\n\tOEM String 1   :\toem\n\n";
  report->assign("- SMBBios data v2.7 -\n\n");
  report->reserve(oemBlock.size() * 100000);
  for (int i = 0; i < 99999; ++i) report->append(oemBlock);
  report->append(
      "System Information:\n\n"
      "\tManufacturer   :\tMaker\n"
      "\tProduct name   :\tModel\n"
      "\tVersion        :\tVer\n"
      "\tSerial#        :\tSER123\n"
      "\tWake-up Type   :\tReserved\n\n");
  return test::HeaderForm(test::BareTable(structures));
}

// Runs a bash script with the tool as $0 and the given words as $1...
ToolResult Shell(const std::string& script, const std::vector<std::string>& words) {
  ToolOptions options;
  options.executable = "/bin/bash";
  std::vector<std::string> arguments = {"-c", script, ToolPath()};
  arguments.insert(arguments.end(), words.begin(), words.end());
  return RunTool(arguments, options);
}

TEST(CommandLineLimits, LongEmptyAndNonAsciiArguments) {
  Scratch scratch;
  std::string from = "/FROM:" + scratch.Write("t.bin", SerialTable());
  // Just under the 128 KiB that exec allows for one argument.
  std::string longWord = "/" + std::string(120 * 1024, 'Q');
  ToolResult result = RunTool({from, "/CSV", longWord, "", "\xFF\xFE", "-\xC3\xA9",
                               "/PCSER\xC4\xB0" "AL", "/PCSERIAL"});
  EXPECT_EQ(result.out, "\"\",\"\",\"\",\"\",\"\",\"SER123\"\n");
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.err, "");
}

TEST(SavedFileLimits, PathsThatAreNotOrdinaryFiles) {
  Scratch scratch;
  ToolResult empty = RunTool({"/FROM:", "/PCSERIAL"});
  EXPECT_EQ(empty.out, CannotRead("", "No such file or directory"));
  EXPECT_EQ(empty.exitCode, 1);

  // A directory is the tables it holds (none here); a table to compare
  // with is one file.
  ToolResult directory = RunTool({"/FROM:" + scratch.Path(""), "/PCSERIAL"});
  EXPECT_EQ(directory.out, "");
  EXPECT_EQ(directory.exitCode, 0);
  std::string table = scratch.Write("one.bin", SerialTable());
  ToolResult compared = RunTool({"/FROM:" + table, "/DIFF:" + scratch.Path("")});
  EXPECT_EQ(compared.out, "Error: cannot read SMBIOS table from " + scratch.Path("") +
                              ": Is a directory\n");
  EXPECT_EQ(compared.exitCode, 1);
  std::remove(table.c_str());

  std::string emptyFile = scratch.Write("empty.bin", {});
  ToolResult nothing = RunTool({"/FROM:" + emptyFile, "/PCSERIAL"});
  EXPECT_EQ(nothing.out, CannotRead(emptyFile, "the file is empty"));
  EXPECT_EQ(nothing.exitCode, 1);

  // A file in which not one structure can be walked is no table either,
  // for the JSON document too.
  std::string text = "root:x:0:0:root:/root:/bin/bash\n";
  std::string textFile = scratch.Write("passwd", Bytes(text.begin(), text.end()));
  ToolResult notATable = RunTool({"/FROM:" + textFile, "/JSON"});
  EXPECT_EQ(notATable.out, CannotRead(textFile, "no SMBIOS structure in it"));
  EXPECT_EQ(notATable.exitCode, 1);
}

// What can be asked is known without a table, on any machine.
TEST(FieldList, NeedsNoTable) {
  ToolResult result = RunTool({"/FIELDS"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out.rfind("/BIOSVENDOR\t0\tBIOS\tVendor\t\ttext\t\n", 0), 0u) << result.out;
  EXPECT_GT(std::count(result.out.begin(), result.out.end(), '\n'), 150);
}

TEST(SavedFileLimits, DevZeroIsReadOnlyUpToTheLimit) {
  ToolOptions options;
  options.timeoutMs = 20000;
  ToolResult result = RunTool({"/FROM:/dev/zero", "/PCSERIAL"}, options);
  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(result.out, CannotRead("/dev/zero", "the file is larger than 16 MiB"));
  EXPECT_EQ(result.exitCode, 1);
}

TEST(SavedFileLimits, FifoNeverHoldsTheRun) {
  Scratch scratch;
  std::string fifo = scratch.Path("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  ToolOptions options;
  options.timeoutMs = 15000;

  // No writer at all: nothing will ever come.
  ToolResult noWriter = RunTool({"/FROM:" + fifo, "/PCSERIAL"}, options);
  EXPECT_FALSE(noWriter.timedOut);
  EXPECT_EQ(noWriter.out, CannotRead(fifo, "the file is empty"));
  EXPECT_EQ(noWriter.exitCode, 1);

  // A writer that keeps the FIFO open and sends nothing: the read gives up.
  int writer = open(fifo.c_str(), O_RDWR | O_CLOEXEC);
  ASSERT_GE(writer, 0);
  ToolResult silent = RunTool({"/FROM:" + fifo, "/PCSERIAL"}, options);
  close(writer);
  EXPECT_FALSE(silent.timedOut);
  EXPECT_EQ(silent.out, CannotRead(fifo, "no data arrived within 5 seconds"));
  EXPECT_EQ(silent.exitCode, 1);
}

TEST(SavedFileLimits, TableFromAPipe) {
  // `producer | tarnlix /FROM:/dev/stdin`: the pipe is read to its end.
  int ends[2];
  ASSERT_EQ(pipe2(ends, O_CLOEXEC), 0);
  Bytes table = SerialTable();
  ASSERT_EQ(write(ends[1], table.data(), table.size()),
            static_cast<ssize_t>(table.size()));
  close(ends[1]);
  ToolOptions options;
  options.stdinPath = "/proc/self/fd/" + std::to_string(ends[0]);
  ToolResult result = RunTool({"/FROM:/dev/stdin", "/PCSERIAL"}, options);
  close(ends[0]);
  EXPECT_EQ(result.out, "SER123");
  EXPECT_EQ(result.exitCode, 0);
}

TEST(OutputLimits, LargeReportReachesThePipeWhole) {
  Scratch scratch;
  std::string report;
  std::string path = scratch.Write("large.bin", LargeTable(&report));
  ToolOptions options;
  options.timeoutMs = 30000;
  ToolResult result = RunTool({"/FROM:" + path, "/ALL"}, options);
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out.size(), report.size());
  EXPECT_TRUE(result.out == report);
  EXPECT_EQ(result.err, "");
}

TEST(OutputLimits, ClosedPipeEndsTheRunQuietly) {
  // The reader takes one line of megabytes of report and goes away; the
  // tool must not die of the broken pipe nor complain about it.
  Scratch scratch;
  std::string report;
  std::string path = scratch.Write("large.bin", LargeTable(&report));
  ToolResult result = Shell(
      "\"$0\" \"/FROM:$1\" /ALL | head -1; echo \"status=${PIPESTATUS[0]}\"", {path});
  // Exit code 1: the output did not all arrive. 141 would be death by SIGPIPE.
  EXPECT_EQ(result.out, "- SMBBios data v2.7 -\nstatus=1\n");
  EXPECT_EQ(result.err, "");
}

TEST(OutputLimits, FullDiskIsAFailure) {
  Scratch scratch;
  std::string path = scratch.Write("t.bin", SerialTable());
  ToolResult result =
      Shell("\"$0\" \"/FROM:$1\" /PCSERIAL >/dev/full; echo \"status=$?\"", {path});
  EXPECT_EQ(result.out, "status=1\n");
  EXPECT_EQ(result.err, "tarnlix: cannot write standard output: No space left on device\n");
}

}  // namespace
}  // namespace tarnlix::e2e
