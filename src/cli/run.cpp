#include "cli/run.h"

#include <cstring>
#include <iterator>

#include "cli/help_pager.h"
#include "cli/help_text.h"
#include "cli/json_output.h"
#include "cli/prom_output.h"
#include "cli/selectors.h"
#include "cli/version.h"
#include "platform/ascii.h"
#include "platform/platform.h"
#include "platform/stdout.h"
#include "smbios/reader.h"

namespace tarnlix {

namespace {

// The same prompt at every pause of a run.
constexpr const char* kPausePrompt = "Press a key...";

void ShowHelpScreen() { ShowHelp(0x50, 7, 0); }

// The switches the parser matches itself, besides the formatting switches.
constexpr const char* kFromSwitch = "/FROM:";  // the path follows the colon
constexpr const char* kDumpSwitch = "/DUMP:";
constexpr const char* kVerboseSwitch = "/V";
constexpr const char* kAllSwitch = "/ALL";
constexpr const char* kHelpSwitches[] = {"/?", "/H"};

struct Switch {
  const char* text;
  bool OutputOptions::*flag;  // null for "/DEBUG", which sets nothing
};

// The switches that each set one output option.
const std::vector<Switch>& FormattingSwitches() {
  static const std::vector<Switch> kSwitches = {
      {"/DEBUG", nullptr},
      {"/DIRECT", &OutputOptions::direct},
      {"/CRLF", &OutputOptions::crlf},
      {"/CSV", &OutputOptions::csv},
      {"/SPACE", &OutputOptions::space},
      {"/TAB", &OutputOptions::tab},
      {"/LINES", &OutputOptions::lines},
      {"/JSON", &OutputOptions::json},
      {"/FIELDS", &OutputOptions::fields},
      {"/PROM", &OutputOptions::prom},
      {"/P", &OutputOptions::pause},
      {"/ISO", &OutputOptions::iso},
  };
  return kSwitches;
}

// Sets the flag a formatting switch names; false when text is none of them.
bool ApplyFormattingSwitch(const char* text, OutputOptions* options) {
  for (const Switch& entry : FormattingSwitches()) {
    if (!EqualsIgnoringCase(text, entry.text)) continue;
    if (entry.flag != nullptr) options->*entry.flag = true;
    return true;
  }
  return false;
}

}  // namespace

const std::vector<const char*>& SwitchTexts() {
  static const std::vector<const char*> texts = [] {
    std::vector<const char*> all;
    for (const Switch& entry : FormattingSwitches()) all.push_back(entry.text);
    all.insert(all.end(), {kFromSwitch, kDumpSwitch, kVerboseSwitch, kAllSwitch});
    all.insert(all.end(), std::begin(kHelpSwitches), std::end(kHelpSwitches));
    return all;
  }();
  return texts;
}

CommandLine ParseCommandLine(int argc, char** argv) {
  CommandLine line;
  for (int i = 1; i < argc; ++i) {
    char* argument = argv[i];
    // The GNU forms every Linux user tries first; the rewrite below would
    // turn them into unknown words.
    if (std::strcmp(argument, "--help") == 0) ShowHelpScreen();
    if (std::strcmp(argument, "--version") == 0) {
      ExitWithMessage("tarnlix " TARNLIX_VERSION "\n", kExitSuccess);
    }
    // "-X" is the same switch as "/X", for every later comparison too.
    if (argument[0] == '-') argument[0] = '/';

    for (const char* help : kHelpSwitches) {
      if (EqualsIgnoringCase(argument, help)) ShowHelpScreen();
    }
    if (ApplyFormattingSwitch(argument, &line.options)) continue;
    if (StartsWithIgnoringCase(argument, kFromSwitch)) {
      line.fromPath = argument + std::strlen(kFromSwitch);
      line.hasFromPath = true;
      continue;
    }
    if (StartsWithIgnoringCase(argument, kDumpSwitch)) {
      line.dumpPath = argument + std::strlen(kDumpSwitch);
      line.hasDumpPath = true;
      continue;
    }
    if (StartsWithIgnoringCase(argument, kVerboseSwitch) &&
        !StartsWithIgnoringCase(argument, "/VEND")) {
      line.options.verbose = true;
      continue;
    }
    if (line.selectors.size() >= kMaxSelectors) {
      WriteOut("Too many parameters: use Tarnlix /? for help\n");
      EndProcess(kExitFailure);
    }
    line.selectors.push_back(argument);
  }
  return line;
}

int RunTarnlix(int argc, char** argv) {
  if (argc < 2) ShowHelpScreen();
  CommandLine line = ParseCommandLine(argc, argv);
  const OutputOptions& options = line.options;
  // What can be asked needs no table: it works on any machine.
  if (options.fields) {
    PrintFieldList();
    return kExitSuccess;
  }
  // The exposition is always the whole inventory, in one format.
  if (options.prom && !line.selectors.empty()) {
    WriteOut("Error: /PROM takes no selectors: it prints the whole inventory\n");
    return kExitFailure;
  }
  if (options.prom && options.json) {
    WriteOut("Error: /PROM and /JSON cannot be combined\n");
    return kExitFailure;
  }

  SmbiosReader reader;
  if (options.direct) reader.SetDirectRead();
  if (line.hasFromPath) reader.SetSourceFile(line.fromPath);
  if (line.hasDumpPath) reader.KeepRawTable();

  if (!reader.Load()) {
    PrintOut(" %s Error: Failed to retrieve BIOS information\n",
             platform().system->Bullet());
    reader.Release();
    return kExitFailure;
  }

  if (line.hasDumpPath) {
    std::string reason;
    SmbiosVersion version = reader.DecodedVersion();
    if (!WriteDumpFile(line.dumpPath, *reader.rawTable, static_cast<uint8_t>(version.major),
                       static_cast<uint8_t>(version.minor), &reason)) {
      PrintOut("Error: cannot write %s: %s\n", line.dumpPath.c_str(), reason.c_str());
      reader.Release();
      return kExitFailure;
    }
  }

  if (options.prom) {
    int result = PrintProm(reader);
    if (options.pause) WaitForKey(kPausePrompt);
    reader.Release();
    return result;
  }

  if (options.json) {
    int result = PrintJson(reader, options, line.selectors);
    if (options.pause) WaitForKey(kPausePrompt);
    reader.Release();
    return result;
  }

  bool wantsAll = false;
  for (const char* selector : line.selectors) {
    if (EqualsIgnoringCase(selector, kAllSwitch)) wantsAll = true;
  }
  if (wantsAll) {
    reader.PrintAll();
    if (options.pause) WaitForKey(kPausePrompt);
    reader.Release();
    return kExitSuccess;
  }

  int runResult = kExitSuccess;
  if (PrintSelectors(reader, options, line.selectors, &runResult) ==
      SelectorOutcome::GroupEnded) {
    if (options.pause) WaitForKey(kPausePrompt);
    reader.Release();
    return kExitSuccess;
  }
  // Under "/LINES" the last value has ended its line already.
  if (options.csv || (options.crlf && !options.lines)) WriteOut("\n");
  if (options.pause) WaitForKey(kPausePrompt);
  reader.Release();
  return runResult;
}

int WaitForKey(const char* prompt) {
  ConsoleApi& console = *platform().console;
  // Without a console no key can ever come: a script must not hang here.
  if (!console.HasConsoleInput()) return -1;
  // Keys typed ahead of the pause never answer it.
  while (console.KeystrokeWaiting()) {
    if (console.ReadKey() < 0) return -1;
  }
  if (prompt != nullptr && prompt[0] != '\0') {
    console.WriteConsoleText(prompt, std::strlen(prompt));
  }
  while (!console.KeystrokeWaiting()) console.Sleep(50);
  console.WriteConsoleText("\n", 1);
  return console.ReadKey();
}

void ExitWithMessage(const char* message, int code) {
  if (message != nullptr && message[0] != '\0') WriteOut(message);
  EndProcess(code);
}

}  // namespace tarnlix
