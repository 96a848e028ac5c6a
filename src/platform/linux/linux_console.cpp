// The controlling terminal as the console.
//
// /dev/tty stands for the Windows console device: the title bar, prompts,
// colours, clearing and cursor moves go there, so redirected standard output
// never holds them. The window is the terminal size of standard output.
//
// A Windows console queues key presses silently until someone reads them; a
// terminal echoes them and holds them back until Enter. So from the first use
// of the terminal until the process ends it is kept without echo and line
// editing, and every way out (exit, Ctrl-C, kill, hangup) puts the user's
// own mode and colours back.
#include "platform/linux/linux_console.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <string>

#include "platform/linux/linux_platform.h"

namespace tarnlix::linux_backend {

namespace {

// A lone ESC and the start of an escape sequence begin with the same byte;
// the rest of a sequence follows within a few milliseconds.
constexpr int kLoneEscapeMs = 50;
// A terminal answers a cursor query at once; over a slow link it may take a
// while, but one that never answers must not stall the screen for long.
constexpr int kCursorReplyMs = 500;
// No key sends a longer sequence; anything longer is not one.
constexpr size_t kLongestSequence = 32;

constexpr int kExtended = 224;
constexpr int kFunction = 0;

// ---------------------------------------------------------------------------
// Key translation.

// The codes the Windows console gives a key alone, with Shift, with Ctrl and
// with Alt.
struct KeyCodes {
  int lead;
  int plain, shift, ctrl, alt;
};

constexpr KeyCodes kHome{kExtended, 71, 71, 119, 151};
constexpr KeyCodes kUp{kExtended, 72, 72, 141, 152};
constexpr KeyCodes kPageUp{kExtended, 73, 73, 132, 153};
constexpr KeyCodes kLeft{kExtended, 75, 75, 115, 155};
constexpr KeyCodes kRight{kExtended, 77, 77, 116, 157};
constexpr KeyCodes kEnd{kExtended, 79, 79, 117, 159};
constexpr KeyCodes kDown{kExtended, 80, 80, 145, 154};
constexpr KeyCodes kPageDown{kExtended, 81, 81, 118, 161};
constexpr KeyCodes kInsert{kExtended, 82, 82, 146, 162};
constexpr KeyCodes kDelete{kExtended, 83, 83, 147, 163};

constexpr KeyCodes kFunctionKeys[12] = {
    {kFunction, 59, 84, 94, 104},   {kFunction, 60, 85, 95, 105},
    {kFunction, 61, 86, 96, 106},   {kFunction, 62, 87, 97, 107},
    {kFunction, 63, 88, 98, 108},   {kFunction, 64, 89, 99, 109},
    {kFunction, 65, 90, 100, 110},  {kFunction, 66, 91, 101, 111},
    {kFunction, 67, 92, 102, 112},  {kFunction, 68, 93, 103, 113},
    {kExtended, 133, 135, 137, 139}, {kExtended, 134, 136, 138, 140},
};

TerminalToken KeyToken(size_t length, int first, int second = -1) {
  TerminalToken token;
  token.kind = TerminalToken::Key;
  token.codes[0] = first;
  token.count = 1;
  if (second >= 0) {
    token.codes[1] = second;
    token.count = 2;
  }
  token.length = length;
  return token;
}

// modifier: the xterm parameter (1 none, then 1 + shift 1, alt 2, ctrl 4).
TerminalToken KeyToken(size_t length, const KeyCodes& key, int modifier) {
  int bits = modifier > 1 ? modifier - 1 : 0;
  int code = (bits & 2) != 0   ? key.alt
             : (bits & 4) != 0 ? key.ctrl
             : (bits & 1) != 0 ? key.shift
                               : key.plain;
  return KeyToken(length, key.lead, code);
}

TerminalToken IgnoredToken(size_t length) {
  TerminalToken token;
  token.kind = TerminalToken::Ignored;
  token.length = length;
  return token;
}

TerminalToken IncompleteToken() {
  TerminalToken token;
  token.kind = TerminalToken::Incomplete;
  return token;
}

// The final letter of an SS3 or CSI sequence for the keys that send one.
const KeyCodes* LetterKey(char final) {
  switch (final) {
    case 'A': return &kUp;
    case 'B': return &kDown;
    case 'C': return &kRight;
    case 'D': return &kLeft;
    case 'H': return &kHome;
    case 'F': return &kEnd;
    case 'P': return &kFunctionKeys[0];
    case 'Q': return &kFunctionKeys[1];
    case 'R': return &kFunctionKeys[2];
    case 'S': return &kFunctionKeys[3];
    default: return nullptr;
  }
}

// The number of "ESC [ n ~" sequences.
const KeyCodes* TildeKey(int number) {
  switch (number) {
    case 1: case 7: return &kHome;
    case 2: return &kInsert;
    case 3: return &kDelete;
    case 4: case 8: return &kEnd;
    case 5: return &kPageUp;
    case 6: return &kPageDown;
    case 11: case 12: case 13: case 14: case 15:
      return &kFunctionKeys[number - 11];
    case 17: case 18: case 19: case 20: case 21:
      return &kFunctionKeys[number - 12];
    case 23: case 24:
      return &kFunctionKeys[number - 13];
    default: return nullptr;
  }
}

// A character beyond ASCII arrives as several bytes; it is one ordinary key.
// Its code only has to be neither 224 nor 0, which would make the next code
// look like a navigation or function key.
constexpr int kOtherCharacter = '?';

TerminalToken DecodeCharacter(const char* data, size_t size) {
  auto lead = static_cast<unsigned char>(data[0]);
  if (lead < 0x80) return KeyToken(1, lead);
  size_t length = lead >= 0xF0 && lead <= 0xF7   ? 4
                  : lead >= 0xE0 && lead <= 0xEF ? 3
                  : lead >= 0xC2 && lead <= 0xDF ? 2
                                                 : 1;
  for (size_t i = 1; i < length; ++i) {
    if (i >= size) return IncompleteToken();
    if ((static_cast<unsigned char>(data[i]) & 0xC0) != 0x80) {
      return KeyToken(1, kOtherCharacter);
    }
  }
  return KeyToken(length, kOtherCharacter);
}

}  // namespace

TerminalToken DecodeTerminalInput(const char* data, size_t size) {
  if (size == 0) return IncompleteToken();
  if (data[0] != '\x1b') return DecodeCharacter(data, size);
  if (size < 2) return IncompleteToken();

  if (data[1] == 'O') {  // SS3: keys in the terminal's application mode
    if (size < 3) return IncompleteToken();
    const KeyCodes* key = LetterKey(data[2]);
    return key != nullptr ? KeyToken(3, *key, 1) : IgnoredToken(3);
  }
  // ESC before anything else is the ESC key, and the next byte its own key.
  if (data[1] != '[') return KeyToken(1, 27);

  if (size >= 3 && data[2] == '[') {  // the Linux console's F1 to F5
    if (size < 4) return IncompleteToken();
    if (data[3] >= 'A' && data[3] <= 'E') {
      return KeyToken(4, kFunctionKeys[data[3] - 'A'], 1);
    }
    return IgnoredToken(4);
  }

  // CSI: parameter bytes, intermediate bytes, then one final byte.
  size_t end = 2;
  for (;; ++end) {
    if (end >= kLongestSequence) return KeyToken(1, 27);
    if (end >= size) return IncompleteToken();
    auto c = static_cast<unsigned char>(data[end]);
    if (c >= 0x40 && c <= 0x7E) break;
    if (c < 0x20 || c > 0x3F) return KeyToken(1, 27);
  }
  size_t length = end + 1;
  char final = data[end];

  int numbers[2] = {-1, -1};
  int count = 0;
  bool plain = true;  // only digits and semicolons
  for (size_t i = 2; i < end && plain; ++i) {
    char c = data[i];
    if (c >= '0' && c <= '9') {
      if (count == 0) count = 1;
      if (count <= 2) {
        int& number = numbers[count - 1];
        number = (number < 0 ? 0 : number) * 10 + (c - '0');
        if (number > 9999) number = 9999;
      }
    } else if (c == ';') {
      count = count == 0 ? 2 : count + 1;
    } else {
      plain = false;
    }
  }
  if (!plain) return IgnoredToken(length);
  int first = numbers[0] < 0 ? 1 : numbers[0];
  int modifier = numbers[1] < 0 ? 1 : numbers[1];

  // "ESC [ row ; column R" answers a cursor query. (Shift+F3 sends the same
  // shape with row 1 on some terminals; a query is the only reason we read
  // one, so it is taken as the answer.)
  if (final == 'R' && count == 2) {
    TerminalToken token;
    token.kind = TerminalToken::CursorReport;
    token.row = first;
    token.column = modifier;
    token.length = length;
    return token;
  }
  if (final == '~') {
    const KeyCodes* key = TildeKey(first);
    return key != nullptr ? KeyToken(length, *key, modifier) : IgnoredToken(length);
  }
  if (final == 'Z') return KeyToken(length, kFunction, 15);  // Shift+Tab
  const KeyCodes* key = LetterKey(final);
  return key != nullptr ? KeyToken(length, *key, modifier) : IgnoredToken(length);
}

std::string SgrForAttribute(uint16_t attribute) {
  // Windows orders the colour bits blue, green, red; ANSI red, green, blue.
  static const int kAnsiColour[8] = {0, 4, 2, 6, 1, 5, 3, 7};
  int foreground = kAnsiColour[attribute & 7] + ((attribute & 0x08) ? 90 : 30);
  int background =
      kAnsiColour[(attribute >> 4) & 7] + ((attribute & 0x80) ? 100 : 40);
  return "\x1b[0;" + std::to_string(foreground) + ";" +
         std::to_string(background) + "m";
}

// ---------------------------------------------------------------------------
// The terminal.

namespace {

// Read by the signal handlers, so plain values set before they are armed.
int g_tty = -1;
termios g_userMode;
termios g_keyMode;
volatile sig_atomic_t g_keyModeOn = 0;
volatile sig_atomic_t g_coloured = 0;

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
struct sigaction g_previous[sizeof kEndingSignals / sizeof kEndingSignals[0]];

void WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t written = ::write(fd, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return;  // the terminal is gone: nothing to show it on
    data += written;
    size -= static_cast<size_t>(written);
  }
}

// Only async-signal-safe calls: it also runs in the signal handlers.
void RestoreTerminal() {
  if (g_keyModeOn) {
    ::tcsetattr(g_tty, TCSANOW, &g_userMode);
    g_keyModeOn = 0;
  }
  if (g_coloured) {
    WriteAll(g_tty, "\x1b[0m", 4);
    g_coloured = 0;
  }
}

void RestoreAtExit() { RestoreTerminal(); }

void OnEndingSignal(int signal) {
  int savedErrno = errno;
  RestoreTerminal();
  // End the way the signal would have ended us, once the handler returns.
  for (size_t i = 0; i < sizeof kEndingSignals / sizeof kEndingSignals[0]; ++i) {
    if (kEndingSignals[i] == signal) ::sigaction(signal, &g_previous[i], nullptr);
  }
  ::raise(signal);
  errno = savedErrno;
}

// Back in the foreground after a stop, the shell has put its own mode back.
void OnContinue(int) {
  int savedErrno = errno;
  if (g_keyModeOn) ::tcsetattr(g_tty, TCSANOW, &g_keyMode);
  errno = savedErrno;
}

void ArmRestorers() {
  static bool armed = false;
  if (armed) return;
  armed = true;
  std::atexit(RestoreAtExit);
  for (size_t i = 0; i < sizeof kEndingSignals / sizeof kEndingSignals[0]; ++i) {
    struct sigaction previous {};
    ::sigaction(kEndingSignals[i], nullptr, &previous);
    g_previous[i] = previous;
    // A signal the caller chose to ignore (nohup) stays ignored.
    if (previous.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = OnEndingSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(kEndingSignals[i], &action, nullptr);
  }
  struct sigaction action {};
  action.sa_handler = OnContinue;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(SIGCONT, &action, nullptr);
}

// Keys as the Windows console reads them: no echo, no line editing, Enter as
// CR, Ctrl+S and Ctrl+Z as keys (neither may freeze or stop the screen).
// Ctrl+C still interrupts.
void EnterKeyMode() {
  termios mode;
  if (::tcgetattr(g_tty, &mode) != 0) return;
  g_userMode = mode;
  mode.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ECHONL | IEXTEN);
  mode.c_iflag &= ~static_cast<tcflag_t>(ICRNL | INLCR | IGNCR | IXON);
  mode.c_cc[VMIN] = 1;
  mode.c_cc[VTIME] = 0;
  mode.c_cc[VSUSP] = _POSIX_VDISABLE;
  g_keyMode = mode;
  ArmRestorers();
  if (::tcsetattr(g_tty, TCSANOW, &mode) == 0) g_keyModeOn = 1;
}

long long NowMs() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * 1000LL + now.tv_nsec / 1000000;
}

struct Terminal {
  bool opened = false;
  bool gone = false;      // hung up or closed: no key can come any more
  std::string bytes;      // received, not yet decoded
  std::deque<int> codes;  // decoded key codes, oldest first
  uint16_t attribute = 0x07;
  bool reportReady = false;
  int reportRow = 0;
  int reportColumn = 0;
};

Terminal& State() {
  static Terminal terminal;
  return terminal;
}

// The console device, opened on first use; -1 when the process has none.
int Tty() {
  Terminal& terminal = State();
  if (!terminal.opened) {
    terminal.opened = true;
    int fd = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd >= 0 && !::isatty(fd)) {
      ::close(fd);
      fd = -1;
    }
    g_tty = fd;
    if (fd >= 0) EnterKeyMode();
  }
  return g_tty;
}

void WriteTty(const std::string& text) {
  if (Tty() >= 0) WriteAll(g_tty, text.data(), text.size());
}

// Takes what the terminal sends within timeoutMs (-1: until something
// comes). Returns true when bytes arrived.
bool Receive(int timeoutMs) {
  Terminal& terminal = State();
  if (terminal.gone) return false;
  pollfd wait{g_tty, POLLIN, 0};
  int ready = ::poll(&wait, 1, timeoutMs);
  if (ready < 0) {
    if (errno != EINTR) terminal.gone = true;
    return false;
  }
  if (ready == 0) return false;
  if ((wait.revents & POLLIN) != 0) {
    char buffer[256];
    ssize_t got = ::read(g_tty, buffer, sizeof buffer);
    if (got > 0) {
      terminal.bytes.append(buffer, static_cast<size_t>(got));
      return true;
    }
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) return false;
  }
  // Hung up, closed or failed: end every wait rather than poll for ever.
  terminal.gone = true;
  return false;
}

// Moves complete keys from the received bytes to the key queue. With settle,
// an unfinished sequence that nothing extends within the lone-ESC time is
// taken as it stands; without, it waits in the buffer.
void Decode(bool settle) {
  Terminal& terminal = State();
  while (!terminal.bytes.empty()) {
    TerminalToken token =
        DecodeTerminalInput(terminal.bytes.data(), terminal.bytes.size());
    if (token.kind == TerminalToken::Incomplete) {
      if (!settle) return;
      if (Receive(kLoneEscapeMs)) continue;
      if (terminal.bytes[0] == '\x1b') {
        token = KeyToken(1, 27);
      } else {
        token = KeyToken(terminal.bytes.size(), kOtherCharacter);
      }
    }
    if (token.kind == TerminalToken::Key) {
      for (int i = 0; i < token.count; ++i) terminal.codes.push_back(token.codes[i]);
    } else if (token.kind == TerminalToken::CursorReport) {
      terminal.reportReady = true;
      terminal.reportRow = token.row;
      terminal.reportColumn = token.column;
    }
    terminal.bytes.erase(0, token.length);
  }
}

bool StdoutWindow(winsize* size) {
  return ::ioctl(STDOUT_FILENO, TIOCGWINSZ, size) == 0 && size->ws_row > 0 &&
         size->ws_col > 0;
}

int16_t Clamp16(int value) {
  return static_cast<int16_t>(value < 0 ? 0 : value > 32767 ? 32767 : value);
}

std::string MoveTo(int column, int row) {  // 0-based
  return "\x1b[" + std::to_string(row + 1) + ";" + std::to_string(column + 1) +
         "H";
}

}  // namespace

bool LinuxConsole::GetScreenBufferInfo(ScreenBufferInfo* info) {
  winsize size{};
  if (!StdoutWindow(&size)) return false;
  info->bufferWidth = Clamp16(size.ws_col);
  info->bufferHeight = Clamp16(size.ws_row);
  info->windowTop = 0;
  info->windowBottom = Clamp16(size.ws_row - 1);
  info->attributes = State().attribute;
  return true;
}

bool LinuxConsole::GetCursorPosition(ConsoleCoord* position) {
  if (Tty() < 0) return false;
  Terminal& terminal = State();
  terminal.reportReady = false;
  WriteTty("\x1b[6n");
  // Keys that arrive before the answer stay queued for the next read.
  long long deadline = NowMs() + kCursorReplyMs;
  while (!terminal.reportReady) {
    long long left = deadline - NowMs();
    if (left <= 0 || terminal.gone) return false;
    Receive(static_cast<int>(left));
    Decode(false);
  }
  position->x = Clamp16(terminal.reportColumn - 1);
  position->y = Clamp16(terminal.reportRow - 1);
  return true;
}

bool LinuxConsole::StdoutIsConsole() { return ::isatty(STDOUT_FILENO) == 1; }

void LinuxConsole::FillOutputCharacter(char character, uint32_t count,
                                       ConsoleCoord start) {
  winsize size{};
  if (count == 0 || Tty() < 0 || !StdoutWindow(&size)) return;
  long long columns = size.ws_col;
  long long rows = size.ws_row;
  if (start.x < 0 || start.y < 0 || start.x >= columns || start.y >= rows) return;
  long long toEnd = (rows - start.y) * columns - start.x;
  // The cursor stays where it was, as with the console call.
  std::string text = "\x1b" "7" + MoveTo(start.x, start.y);
  if (character == ' ' && count >= toEnd) {
    text += "\x1b[J";  // erases in the current colours
  } else {
    long long left = count < toEnd ? count : toEnd;
    long long column = start.x;
    long long row = start.y;
    while (left > 0) {
      long long piece = columns - column < left ? columns - column : left;
      text += MoveTo(static_cast<int>(column), static_cast<int>(row));
      text.append(static_cast<size_t>(piece), character);
      left -= piece;
      column = 0;
      ++row;
    }
  }
  text += "\x1b" "8";
  WriteTty(text);
}

// A terminal cannot recolour cells without rewriting them; the cells a clear
// blanks already take the current colours.
void LinuxConsole::FillOutputAttribute(uint16_t, uint32_t, ConsoleCoord) {}

void LinuxConsole::SetCursorPosition(ConsoleCoord position) {
  if (Tty() < 0) return;
  WriteTty(MoveTo(position.x < 0 ? 0 : position.x, position.y < 0 ? 0 : position.y));
}

void LinuxConsole::SetTextAttribute(uint16_t attribute) {
  State().attribute = attribute;
  if (Tty() < 0) return;
  g_coloured = 1;
  WriteTty(SgrForAttribute(attribute));
}

void LinuxConsole::WriteConsoleText(const char* text, size_t size) {
  if (Tty() >= 0) WriteAll(g_tty, text, size);
}

bool LinuxConsole::KeystrokeWaiting() {
  if (Tty() < 0) return false;
  Terminal& terminal = State();
  if (terminal.codes.empty() && !terminal.gone) {
    while (Receive(0)) {
    }
    Decode(true);
  }
  // A terminal that has gone answers at once, so no wait can last for ever.
  return !terminal.codes.empty() || terminal.gone;
}

int LinuxConsole::ReadKey() {
  if (Tty() < 0) return -1;
  Terminal& terminal = State();
  while (terminal.codes.empty()) {
    if (terminal.gone) return -1;
    Receive(-1);
    Decode(true);
  }
  int code = terminal.codes.front();
  terminal.codes.pop_front();
  return code;
}

bool LinuxConsole::HasConsoleInput() { return Tty() >= 0; }

void LinuxConsole::Sleep(uint32_t milliseconds) {
  timespec pause{static_cast<time_t>(milliseconds / 1000),
                 static_cast<long>(milliseconds % 1000) * 1000000L};
  while (::nanosleep(&pause, &pause) != 0 && errno == EINTR) {
  }
}

}  // namespace tarnlix::linux_backend
