// The help screen and the pause on a real terminal: the built tool runs in a
// pseudo-terminal of 25 rows that the test opens, types into and reads, as a
// user at a terminal would. Also the same commands with no terminal at all.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/version.h"
#include "run_tool.h"

namespace tarnlix::e2e {
namespace {

// The tool with a pseudo-terminal as its controlling terminal, standard input
// and standard error; standard output is the terminal too unless a file is
// named. The test answers the tool's cursor queries as a terminal would.
class TerminalSession {
 public:
  struct Options {
    int rows = 25;
    std::string stdoutFile;   // empty: the terminal
    std::string typedFirst;   // typed before the tool starts
    bool ignoreHangup = false;
  };

  ~TerminalSession() {
    if (child_ > 0) {
      kill(child_, SIGKILL);
      waitpid(child_, nullptr, 0);
    }
    if (master_ >= 0) close(master_);
  }

  bool Start(const std::vector<std::string>& arguments, const Options& options) {
    rows_ = options.rows;
    int ready[2];
    if (pipe(ready) != 0) return false;
    winsize size{};
    size.ws_row = static_cast<unsigned short>(options.rows);
    size.ws_col = 80;
    child_ = forkpty(&master_, nullptr, nullptr, &size);
    if (child_ < 0) return false;
    if (child_ == 0) {
      close(ready[1]);
      char go;
      // Starts only once the parent has typed what comes first.
      while (read(ready[0], &go, 1) < 0 && errno == EINTR) {
      }
      if (!options.stdoutFile.empty()) {
        int out = open(options.stdoutFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0) _exit(126);
        dup2(out, 1);
      }
      if (options.ignoreHangup) signal(SIGHUP, SIG_IGN);
      std::vector<std::string> storage = {ToolPath()};
      storage.insert(storage.end(), arguments.begin(), arguments.end());
      std::vector<char*> argv;
      for (std::string& text : storage) argv.push_back(text.data());
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
    close(ready[0]);
    if (!options.typedFirst.empty()) Type(options.typedFirst);
    ssize_t ignored = write(ready[1], "g", 1);
    (void)ignored;
    close(ready[1]);
    return true;
  }

  void Type(const std::string& keys) {
    ssize_t ignored = write(master_, keys.data(), keys.size());
    (void)ignored;
  }

  // Reads what the tool shows until text appears after position since.
  bool WaitFor(const std::string& text, size_t since, int timeoutMs = 5000) {
    long long deadline = NowMs() + timeoutMs;
    while (screen_.find(text, since) == std::string::npos) {
      long long left = deadline - NowMs();
      if (left <= 0 || !Read(static_cast<int>(left))) return false;
    }
    return true;
  }

  // Lets the tool run for a while; false if it ended meanwhile.
  bool StillRunningAfter(int ms) {
    long long deadline = NowMs() + ms;
    for (long long left = ms; left > 0; left = deadline - NowMs()) {
      if (!Read(static_cast<int>(left))) break;
    }
    return waitpid(child_, &status_, WNOHANG) == 0;
  }

  // Waits for the tool to end: its exit code, or -1 (signal or timeout).
  int WaitExit(int timeoutMs = 5000) {
    long long deadline = NowMs() + timeoutMs;
    while (NowMs() < deadline) {
      pid_t done = waitpid(child_, &status_, WNOHANG);
      if (done == child_) {
        child_ = -1;
        while (Read(50)) {
        }
        return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
      }
      if (!Read(20)) usleep(20000);
    }
    timedOut_ = true;
    return -1;
  }

  int TermSignal() const { return WIFSIGNALED(status_) ? WTERMSIG(status_) : 0; }
  bool timedOut() const { return timedOut_; }

  // The terminal's mode (a pty pair shares one): keys read one by one and
  // unechoed, or the user's own mode with echo and line editing.
  bool KeyMode() {
    termios mode{};
    tcgetattr(master_, &mode);
    return (mode.c_lflag & (ECHO | ICANON)) == 0;
  }
  bool UserMode() {
    termios mode{};
    tcgetattr(master_, &mode);
    return (mode.c_lflag & ECHO) != 0 && (mode.c_lflag & ICANON) != 0;
  }

  void HangUp() {
    close(master_);
    master_ = -1;
  }

  const std::string& screen() const { return screen_; }
  size_t Mark() const { return screen_.size(); }

  // Keys the user types just before the terminal answers its next query.
  void TypeBeforeNextAnswer(const std::string& keys) { beforeAnswer_ = keys; }

 private:
  // One read of what the tool wrote; false at the end of it.
  bool Read(int timeoutMs) {
    if (master_ < 0) return false;
    pollfd wait{master_, POLLIN, 0};
    int ready = poll(&wait, 1, timeoutMs);
    if (ready < 0) return errno == EINTR;
    if (ready == 0) return true;
    char buffer[4096];
    ssize_t got = read(master_, buffer, sizeof buffer);
    if (got <= 0) return false;
    screen_.append(buffer, static_cast<size_t>(got));
    AnswerCursorQueries();
    return true;
  }

  // The cursor is taken to be at the start of the bottom row: where it is
  // after the more prompt's line end on a full screen.
  void AnswerCursorQueries() {
    for (size_t at = screen_.find("\x1b[6n", answered_); at != std::string::npos;
         at = screen_.find("\x1b[6n", answered_)) {
      answered_ = at + 4;
      Type(beforeAnswer_ + "\x1b[" + std::to_string(rows_) + ";1R");
      beforeAnswer_.clear();
    }
  }

  pid_t child_ = -1;
  int master_ = -1;
  int rows_ = 25;
  int status_ = 0;
  bool timedOut_ = false;
  std::string screen_;
  size_t answered_ = 0;
  std::string beforeAnswer_;
};

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The help text as the tool writes it with no terminal.
const std::vector<std::string>& HelpLines() {
  static const std::vector<std::string> lines = SplitLines(RunTool({"/?"}).out);
  return lines;
}

std::string ReadFileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string TempPath(const char* name) {
  return ::testing::TempDir() + "tarnlix-" + std::to_string(getpid()) + "-" + name;
}

const char kMore[] = "-- More (ESC quits) --";
const char kEnd[] = "-- End - ESC to Close --";

TEST(HelpWithoutTerminal, WritesTheWholeTextOnceAndEndsAtOnce) {
  long long started = NowMs();
  ToolResult result = RunTool({"/?"});  // no terminal, standard input /dev/null
  EXPECT_LT(NowMs() - started, 3000);
  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out.rfind("           Tarnlix v" TARNLIX_VERSION " - ", 0), 0u);
  EXPECT_EQ(result.out.find('\x1b'), std::string::npos);
  EXPECT_EQ(result.out.find('\r'), std::string::npos);
  EXPECT_EQ(result.out.find("-- "), std::string::npos);  // no prompt
  EXPECT_NE(result.out.find("%%i in ('Tarnlix.exe /serial ') DO SET SERIAL=%%i\n"),
            std::string::npos);
  EXPECT_EQ(result.out.back(), '\n');
  EXPECT_GT(HelpLines().size(), 100u);
}

TEST(HelpOnTerminal, PagesWithEndPageUpAndEscape) {
  const std::vector<std::string>& lines = HelpLines();
  ASSERT_GT(lines.size(), 93u);
  const int page = 23;  // 25 rows
  const size_t lastPage = lines.size() - lines.size() % page;

  TerminalSession terminal;
  ASSERT_TRUE(terminal.Start({"/?"}, {}));
  ASSERT_TRUE(terminal.WaitFor(kMore, 0)) << terminal.screen();
  std::string first = terminal.screen();
  // The title bar in bright white on magenta, 79 columns wide.
  EXPECT_NE(first.find("\x1b[0;97;45m" + lines[0] + std::string(79 - lines[0].size(), ' ')),
            std::string::npos);
  EXPECT_NE(first.find("\x1b[0;37;40m"), std::string::npos);
  EXPECT_NE(first.find(lines[22] + "\r"), std::string::npos);
  EXPECT_EQ(first.find(lines[23] + "\r"), std::string::npos);
  EXPECT_TRUE(terminal.KeyMode());

  // The cursor goes back up to the prompt's row: the next page covers it.
  size_t mark = terminal.Mark();
  terminal.Type("\x1b[F");  // End
  ASSERT_TRUE(terminal.WaitFor(kEnd, mark)) << terminal.screen().substr(mark);
  std::string endPage = terminal.screen().substr(mark);
  EXPECT_NE(endPage.find("\x1b[24;1H"), std::string::npos);
  EXPECT_NE(endPage.find("\x1b[J"), std::string::npos);  // cleared
  // An empty line is found anywhere; only a line with text tells pages apart.
  if (!lines[lastPage - 1].empty()) {
    EXPECT_EQ(endPage.find(lines[lastPage - 1] + "\r"), std::string::npos);
  }
  EXPECT_NE(endPage.find(lines[lastPage] + "\r"), std::string::npos);
  EXPECT_NE(endPage.find(lines.back() + "\r"), std::string::npos);
  EXPECT_NE(endPage.find("\x1b[0;30;47m" + std::string(kEnd)), std::string::npos);

  mark = terminal.Mark();
  terminal.Type("\x1b[5~");  // Page Up: the page before the last page
  ASSERT_TRUE(terminal.WaitFor(kMore, mark)) << terminal.screen().substr(mark);
  std::string before = terminal.screen().substr(mark);
  if (!lines[lastPage - page - 1].empty()) {
    EXPECT_EQ(before.find(lines[lastPage - page - 1] + "\r"), std::string::npos);
  }
  EXPECT_NE(before.find(lines[lastPage - page] + "\r"), std::string::npos);
  EXPECT_NE(before.find(lines[lastPage - 1] + "\r"), std::string::npos);

  mark = terminal.Mark();
  terminal.Type("\x1b");  // ESC, with nothing after it
  EXPECT_EQ(terminal.WaitExit(), 0);
  // A line with text of the last page: an empty one is found anywhere.
  size_t shown = lastPage;
  while (shown + 1 < lines.size() && lines[shown].empty()) ++shown;
  EXPECT_EQ(terminal.screen().find(lines[shown] + "\r", mark), std::string::npos);
  EXPECT_TRUE(terminal.UserMode());
  std::string tail = terminal.screen().substr(terminal.screen().size() - 4);
  EXPECT_EQ(tail, "\x1b[0m");  // and the terminal's own colours
}

TEST(HelpOnTerminal, AKeyTypedWhileTheCursorIsAskedForIsKept) {
  // End at the first prompt; "q" arrives with the answer to the cursor query
  // that follows, so it is waiting when the end prompt reads a key: the text
  // starts over without another key.
  TerminalSession terminal;
  ASSERT_TRUE(terminal.Start({"/?"}, {}));
  ASSERT_TRUE(terminal.WaitFor(kMore, 0));
  size_t mark = terminal.Mark();
  terminal.TypeBeforeNextAnswer("q");
  terminal.Type("\x1b[F");
  ASSERT_TRUE(terminal.WaitFor(kEnd, mark));
  size_t end = terminal.screen().find(kEnd, mark);
  EXPECT_TRUE(terminal.WaitFor(kMore, end)) << terminal.screen().substr(end);
  terminal.Type("\x1b");
  EXPECT_EQ(terminal.WaitExit(), 0);
}

TEST(HelpOnTerminal, RedirectedOutputHoldsOnlyTheTextAndNothingWaits) {
  std::string path = TempPath("help.txt");
  TerminalSession terminal;
  ASSERT_TRUE(terminal.Start({"/?"}, {25, path, "", false}));
  EXPECT_EQ(terminal.WaitExit(), 0);
  std::string file = ReadFileText(path);
  std::string expected;
  for (const std::string& line : HelpLines()) expected += line + "\n";
  EXPECT_EQ(file, expected);
  EXPECT_EQ(terminal.screen(), "");  // no title bar, colours or prompt
  EXPECT_TRUE(terminal.UserMode());
  std::remove(path.c_str());
}

TEST(HelpOnTerminal, InterruptAndHangupLeaveNoTerminalBehind) {
  {
    TerminalSession terminal;
    ASSERT_TRUE(terminal.Start({"/?"}, {}));
    ASSERT_TRUE(terminal.WaitFor(kMore, 0));
    EXPECT_TRUE(terminal.KeyMode());
    terminal.Type("\x03");  // Ctrl+C
    EXPECT_EQ(terminal.WaitExit(), -1);
    EXPECT_FALSE(terminal.timedOut());
    EXPECT_EQ(terminal.TermSignal(), SIGINT);
    EXPECT_TRUE(terminal.UserMode());
  }
  {
    // A tool that ignores hangups must still notice the terminal is gone.
    TerminalSession terminal;
    TerminalSession::Options options;
    options.ignoreHangup = true;
    ASSERT_TRUE(terminal.Start({"/?"}, options));
    ASSERT_TRUE(terminal.WaitFor(kMore, 0));
    terminal.HangUp();
    EXPECT_EQ(terminal.WaitExit(), 0);
    EXPECT_FALSE(terminal.timedOut());
  }
}

TEST(PauseOnTerminal, KeysTypedAheadDoNotAnswerThePromptAndOutputStaysClean) {
  std::string path = TempPath("pause.txt");
  TerminalSession terminal;
  TerminalSession::Options options;
  options.stdoutFile = path;
  options.typedFirst = "x";
  ASSERT_TRUE(terminal.Start(
      {"/FROM:" + TestData("corpus/raw/dell-r630.bin"), "/PCSERIAL", "/P"}, options));
  ASSERT_TRUE(terminal.WaitFor("Press a key...", 0)) << terminal.screen();
  EXPECT_TRUE(terminal.StillRunningAfter(300));  // "x" was thrown away
  terminal.Type("k");
  EXPECT_EQ(terminal.WaitExit(), 0);
  EXPECT_EQ(ReadFileText(path), "790H8D2");
  EXPECT_TRUE(terminal.UserMode());
  std::remove(path.c_str());
}

}  // namespace
}  // namespace tarnlix::e2e
