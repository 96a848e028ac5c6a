// Runs the built tool as a user would and captures what it prints.
#pragma once

#include <string>
#include <vector>

namespace tarnlix::e2e {

struct ToolResult {
  int exitCode = -1;     // -1 when it did not exit normally
  int signal = 0;        // the signal that ended it, if any
  bool timedOut = false;
  std::string out;
  std::string err;
};

struct ToolOptions {
  std::string stdinPath = "/dev/null";
  int timeoutMs = 10000;
  // Runs detached from any controlling terminal (a new session), as a
  // service or CI job would.
  bool newSession = true;
  std::vector<std::string> extraEnvironment;  // "NAME=value"
  std::string executable;                    // default: the built tool
};

ToolResult RunTool(const std::vector<std::string>& arguments,
                   const ToolOptions& options = {});

// Milliseconds of a monotonic clock.
long long NowMs();

// The test data directory and the built tool.
std::string TestData(const std::string& relative);
std::string ToolPath();

}  // namespace tarnlix::e2e
