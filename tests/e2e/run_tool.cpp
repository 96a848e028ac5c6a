#include "run_tool.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace tarnlix::e2e {

long long NowMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * 1000LL + now.tv_nsec / 1000000;
}

std::string TestData(const std::string& relative) {
  return std::string(TARNLIX_TEST_DATA) + "/" + relative;
}

std::string ToolPath() { return TARNLIX_EXE; }

ToolResult RunTool(const std::vector<std::string>& arguments,
                   const ToolOptions& options) {
  ToolResult result;
  int outPipe[2];
  int errPipe[2];
  if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) {
    return result;
  }
  std::string executable = options.executable.empty() ? ToolPath() : options.executable;
  std::vector<std::string> argvStorage = {executable};
  argvStorage.insert(argvStorage.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& text : argvStorage) argv.push_back(text.data());
  argv.push_back(nullptr);
  std::vector<std::string> envStorage;
  for (char** entry = environ; *entry != nullptr; ++entry) envStorage.push_back(*entry);
  for (const std::string& extra : options.extraEnvironment) envStorage.push_back(extra);
  std::vector<char*> envp;
  for (std::string& text : envStorage) envp.push_back(text.data());
  envp.push_back(nullptr);

  pid_t child = fork();
  if (child == 0) {
    if (options.newSession) setsid();
    int in = open(options.stdinPath.c_str(), O_RDONLY);
    if (in >= 0) dup2(in, 0);
    dup2(outPipe[1], 1);
    dup2(errPipe[1], 2);
    signal(SIGPIPE, SIG_DFL);
    execve(executable.c_str(), argv.data(), envp.data());
    _exit(127);
  }
  close(outPipe[1]);
  close(errPipe[1]);

  long long deadline = NowMs() + options.timeoutMs;
  pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  int openStreams = 2;
  while (openStreams > 0) {
    long long left = deadline - NowMs();
    if (left <= 0) {
      result.timedOut = true;
      kill(child, SIGKILL);
      break;
    }
    int ready = poll(fds, 2, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[65536];
      ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
      if (got > 0) {
        sinks[i]->append(buffer, static_cast<size_t>(got));
      } else if (got == 0 || (got < 0 && errno != EINTR)) {
        close(fds[i].fd);
        fds[i].fd = -1;
        --openStreams;
      }
    }
  }
  for (pollfd& fd : fds) {
    if (fd.fd >= 0) close(fd.fd);
  }
  int status = 0;
  waitpid(child, &status, 0);
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  return result;
}

}  // namespace tarnlix::e2e
