// The end-to-end tests' way of running the tool, on Windows: the tool is
// started with CreateProcess, without a console, standard input from NUL,
// and its output caught in temporary files.
#include <windows.h>

#include <string>
#include <vector>

#include "run_tool.h"

namespace tarnlix::e2e {

namespace {

// One argument as the C runtime of the child splits its command line.
std::string Quoted(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string::npos) {
    return argument;
  }
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    // Backslashes before a quote are doubled, and the quote escaped.
    quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, '\\');
  return quoted + "\"";
}

// A temporary file the child inherits, gone when its last handle closes.
HANDLE TemporaryFile() {
  char directory[MAX_PATH + 1];
  char path[MAX_PATH + 1];
  if (::GetTempPathA(sizeof directory, directory) == 0 ||
      ::GetTempFileNameA(directory, "tlx", 0, path) == 0) {
    return INVALID_HANDLE_VALUE;
  }
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return ::CreateFileA(path, GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       &inherit, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                       nullptr);
}

std::string ReadBack(HANDLE file) {
  std::string text;
  ::SetFilePointer(file, 0, nullptr, FILE_BEGIN);
  char buffer[65536];
  DWORD got = 0;
  while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
    text.append(buffer, got);
  }
  return text;
}

// The environment of this process with the extra entries, as a block.
std::vector<char> Environment(const std::vector<std::string>& extra) {
  std::vector<char> block;
  char* strings = ::GetEnvironmentStringsA();
  for (const char* entry = strings; entry != nullptr && *entry != '\0';
       entry += std::char_traits<char>::length(entry) + 1) {
    block.insert(block.end(), entry, entry + std::char_traits<char>::length(entry) + 1);
  }
  if (strings != nullptr) ::FreeEnvironmentStringsA(strings);
  for (const std::string& entry : extra) {
    block.insert(block.end(), entry.begin(), entry.end());
    block.push_back('\0');
  }
  block.push_back('\0');
  return block;
}

}  // namespace

long long NowMs() { return static_cast<long long>(::GetTickCount64()); }

std::string TestData(const std::string& relative) {
  return std::string(TARNLIX_TEST_DATA) + "/" + relative;
}

std::string ToolPath() { return TARNLIX_EXE; }

namespace {

// One attempt; false when the tool could not be started at all, with the
// reason in result->err.
bool Attempt(const std::string& executable, std::string commandLine,
             const ToolOptions& options, ToolResult* result) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  std::string input = options.stdinPath == "/dev/null" ? "NUL" : options.stdinPath;
  HANDLE in = ::CreateFileA(input.c_str(), GENERIC_READ, FILE_SHARE_READ, &inherit,
                            OPEN_EXISTING, 0, nullptr);
  HANDLE out = TemporaryFile();
  HANDLE err = TemporaryFile();
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in;
  startup.hStdOutput = out;
  startup.hStdError = err;
  std::vector<char> environment = Environment(options.extraEnvironment);
  PROCESS_INFORMATION process{};
  // A new session here means no console at all, as a service or a job has.
  DWORD flags = options.newSession ? DETACHED_PROCESS : 0;
  bool started = in != INVALID_HANDLE_VALUE && out != INVALID_HANDLE_VALUE &&
                 err != INVALID_HANDLE_VALUE &&
                 ::CreateProcessA(executable.c_str(), commandLine.data(), nullptr, nullptr,
                                  TRUE, flags, environment.data(), nullptr, &startup,
                                  &process);
  if (!started) {
    result->err = "could not start " + executable + ": error " + std::to_string(::GetLastError());
  } else {
    if (::WaitForSingleObject(process.hProcess,
                              static_cast<DWORD>(options.timeoutMs)) != WAIT_OBJECT_0) {
      result->timedOut = true;
      ::TerminateProcess(process.hProcess, 255);
      ::WaitForSingleObject(process.hProcess, INFINITE);
    } else {
      DWORD code = 0;
      if (::GetExitCodeProcess(process.hProcess, &code)) {
        result->exitCode = static_cast<int>(code);
      }
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    result->out = ReadBack(out);
    result->err = ReadBack(err);
  }
  for (HANDLE handle : {in, out, err}) {
    if (handle != INVALID_HANDLE_VALUE) ::CloseHandle(handle);
  }
  return started;
}

}  // namespace

// Wine, on a loaded machine, now and then fails to start a process at all;
// that is tried again, a run of the tool never is.
ToolResult RunTool(const std::vector<std::string>& arguments,
                   const ToolOptions& options) {
  std::string executable = options.executable.empty() ? ToolPath() : options.executable;
  std::string commandLine = Quoted(executable);
  for (const std::string& argument : arguments) commandLine += " " + Quoted(argument);
  ToolResult result;
  for (int attempt = 0; attempt < 3; ++attempt) {
    result = ToolResult();
    if (Attempt(executable, commandLine, options, &result)) break;
    ::Sleep(200);
  }
  return result;
}

}  // namespace tarnlix::e2e
