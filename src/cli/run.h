// The run of one command line, from the arguments to the exit code.
#pragma once

#include <string>
#include <vector>

#include "cli/exit.h"

namespace tarnlix {

constexpr size_t kMaxSelectors = 100;

struct OutputOptions {
  bool direct = false;
  bool crlf = false;
  bool csv = false;
  bool space = false;
  bool tab = false;
  bool lines = false;  // a line end after every value
  bool json = false;   // one JSON document instead of the values
  bool fields = false;  // list the field selectors instead of reading a table
  bool schema = false;  // print the JSON Schema of the documents instead
  bool prom = false;    // the inventory in the Prometheus text format
  bool pause = false;
  bool iso = false;
  bool verbose = false;
  bool strict = false;  // a word that is no selector, or a damaged table, is an error
};

struct CommandLine {
  OutputOptions options;
  // The arguments that are not switches, in command-line order; they point
  // into the argument vector.
  std::vector<const char*> selectors;
  // "/FROM:<path>", as often as given: read the tables only from these files,
  // or the files of these directories.
  std::vector<std::string> fromPaths;
  std::string dumpPath;  // "/DUMP:<path>": save the table read to this file
  bool hasDumpPath = false;
  std::string diffPath;  // "/DIFF:<path>": compare the table read with this one
  bool hasDiffPath = false;
};

// Parses the arguments after the program's name. "/?", "/H" and "--help"
// show the help screen, "--version" prints the version and a 101st selector
// ends the process; none of them returns.
CommandLine ParseCommandLine(int argc, char** argv);

// Every switch the command line knows, as it is matched (upper case; a
// trailing colon means a value follows it). The GNU "--help" and "--version"
// are not among them.
const std::vector<const char*>& SwitchTexts();

// Runs the tool and returns the process exit code.
int RunTarnlix(int argc, char** argv);

// Waits for a key press after discarding keys typed ahead, showing prompt on
// the console itself; returns the key's first code, or -1 at once when there
// is no console.
int WaitForKey(const char* prompt);


}  // namespace tarnlix
