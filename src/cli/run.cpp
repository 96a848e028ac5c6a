#include "cli/run.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>

#include "cli/diff_output.h"
#include "cli/help_pager.h"
#include "cli/help_text.h"
#include "cli/json_output.h"
#include "cli/prom_output.h"
#include "cli/schema_output.h"
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
constexpr const char* kDiffSwitch = "/DIFF:";
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
      {"/SCHEMA", &OutputOptions::schema},
      {"/PROM", &OutputOptions::prom},
      {"/P", &OutputOptions::pause},
      {"/ISO", &OutputOptions::iso},
      {"/STRICT", &OutputOptions::strict},
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
    all.insert(all.end(), {kFromSwitch, kDumpSwitch, kDiffSwitch, kVerboseSwitch, kAllSwitch});
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
      line.fromPaths.push_back(argument + std::strlen(kFromSwitch));
      continue;
    }
    if (StartsWithIgnoringCase(argument, kDiffSwitch)) {
      line.diffPath = argument + std::strlen(kDiffSwitch);
      line.hasDiffPath = true;
      continue;
    }
    if (StartsWithIgnoringCase(argument, kDumpSwitch)) {
      line.dumpPath = argument + std::strlen(kDumpSwitch);
      line.hasDumpPath = true;
      continue;
    }
    // A word that names one of our selectors (the voltage probes' begin
    // with "/V" too) is that selector, not the verbose switch.
    if (StartsWithIgnoringCase(argument, kVerboseSwitch) &&
        !StartsWithIgnoringCase(argument, "/VEND") && !ResolveSelector(argument).row) {
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

namespace {

// A table of a run over several: its file, or why it cannot be read even
// before it is tried (a directory that cannot be listed, an entry of one
// that is no file).
struct TableSource {
  std::string path;
  std::string refusal;
};

// The tables /FROM: names: each file, and the entries of each directory in
// name order but for its subdirectories. Several tables when there is more
// than one /FROM: or a directory among them. An entry that cannot be read
// as a file (a dangling link, a FIFO) is one with its refusal, so that a
// host never drops out of a fleet's report without a word.
std::vector<TableSource> TableSources(const std::vector<std::string>& paths, bool* several) {
  std::vector<TableSource> sources;
  *several = paths.size() > 1;
  for (const std::string& path : paths) {
    DirectoryListing listing = platform().system->ListDirectory(path);
    if (!listing.isDirectory) {
      sources.push_back({path, ""});
      continue;
    }
    *several = true;
    if (!listing.ok) {
      sources.push_back({path, "Error: cannot read directory " + path + ": " + listing.reason});
      continue;
    }
    std::vector<TableSource> entries;
    for (std::string& file : listing.files) entries.push_back({std::move(file), ""});
    for (auto& [file, reason] : listing.refused) {
      entries.push_back({file, "Error: cannot read SMBIOS table from " + file + ": " + reason});
    }
    std::sort(entries.begin(), entries.end(),
              [](const TableSource& a, const TableSource& b) { return a.path < b.path; });
    for (TableSource& entry : entries) sources.push_back(std::move(entry));
  }
  return sources;
}

// What works on one table only, named as the user would look for it in
// the help; null when the run may read several.
const char* OneTableOnly(const CommandLine& line) {
  const OutputOptions& options = line.options;
  if (options.prom) return "/PROM";
  if (line.hasDumpPath) return "/DUMP:";
  if (line.hasDiffPath) return "/DIFF:";
  if (options.json) return nullptr;  // a group is an array of the document
  for (const char* selector : line.selectors) {
    if (EqualsIgnoringCase(selector, kAllSwitch)) return kAllSwitch;
    Selection selection = ResolveSelector(selector);
    if (selection.row && selection.row->kind == SelectorKind::Group) return selection.row->text;
  }
  return nullptr;
}

// Under /STRICT: a word that is neither a switch nor a selector, said
// before anything is read or printed; null when every word is one.
const char* UnknownSelector(const std::vector<const char*>& selectors) {
  for (const char* selector : selectors) {
    if (!EqualsIgnoringCase(selector, kAllSwitch) && !ResolveSelector(selector).row) return selector;
  }
  return nullptr;
}

// Under /STRICT, after the values: what is wrong with a table, on standard
// error; true when something is. file names a table read from a file.
bool ReportDamage(const SmbiosReader& reader, const std::string* file) {
  std::string damage = reader.Damage();
  if (damage.empty()) return false;
  WriteErr("Error: damaged SMBIOS table: " + (file != nullptr ? *file + ": " : std::string()) +
           damage + "\n");
  return true;
}

// Under /STRICT, after the values: that the table is only the part of the
// inventory any user may read; true when it is.
bool ReportPartial(const SmbiosReader& reader) {
  if (!reader.Partial()) return false;
  WriteErr("Error: partial inventory: the whole SMBIOS table needs root\n");
  return true;
}

// What needs the whole table refuses a partial one: a saved partial table
// would later read as a whole one, and a comparison with a whole one would
// find every serial number changed. True, the refusal printed, when it does.
bool RefusePartial(const SmbiosReader& reader, const char* what, const char* does) {
  if (!reader.Partial()) return false;
  PrintOut("Error: %s %s the whole SMBIOS table, and this one is partial: reading it needs root\n",
           what, does);
  return true;
}

// One line (or JSON document) per table, the file first; a table that
// cannot be read has its reason on its line, and the run goes on.
int RunSeveralTables(const CommandLine& line, const std::vector<TableSource>& sources) {
  const OutputOptions& options = line.options;
  if (const char* what = OneTableOnly(line)) {
    PrintOut("Error: %s works on one table, and /FROM: named several\n", what);
    return kExitFailure;
  }
  bool failed = false;
  int runResult = kExitSuccess;
  std::vector<Selection> selections = ResolveSelectors(line.selectors);
  for (const TableSource& source : sources) {
    std::string refusal = source.refusal;
    SmbiosReader reader;
    bool loaded = false;
    if (refusal.empty()) {
      reader.SetSourceFile(source.path, &refusal);
      loaded = reader.Load();
    }
    if (!loaded) {
      failed = true;
      if (refusal.empty()) refusal = "Error: cannot read SMBIOS table from " + source.path;
      if (options.json) {
        PrintJsonRefusal(source.path, refusal);
      } else {
        PrintTableLine(nullptr, options, selections, source.path, refusal, &runResult);
      }
      continue;
    }
    if (options.json) {
      int result = PrintJson(reader, options, line.selectors, selections, &source.path);
      if (result != kExitSuccess) runResult = result;
    } else {
      PrintTableLine(&reader, options, selections, source.path, "", &runResult);
    }
    if (options.strict && ReportDamage(reader, &source.path)) failed = true;
  }
  if (options.pause) WaitForKey(kPausePrompt);
  return failed ? kExitFailure : runResult;
}

// The saved table /DIFF: compares the one read with; null, its reason
// printed, when it cannot be read.
std::unique_ptr<SmbiosReader> LoadSavedTable(const std::string& path) {
  auto saved = std::make_unique<SmbiosReader>();
  saved->SetSourceFile(path);
  if (!saved->Load()) return nullptr;
  return saved;
}

}  // namespace

int RunTarnlix(int argc, char** argv) {
  if (argc < 2) ShowHelpScreen();
  CommandLine line = ParseCommandLine(argc, argv);
  const OutputOptions& options = line.options;
  // What can be asked needs no table: it works on any machine.
  if (options.fields) {
    PrintFieldList();
    return kExitSuccess;
  }
  if (options.schema) {
    PrintSchema();
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
  if (line.hasDiffPath && !line.selectors.empty()) {
    WriteOut("Error: /DIFF: takes no selectors: it compares the whole inventory\n");
    return kExitFailure;
  }
  if (options.strict) {
    if (const char* word = UnknownSelector(line.selectors)) {
      PrintOut("Error: unknown selector %s\n", word);
      return kExitFailure;
    }
  }

  bool several = false;
  std::vector<TableSource> sources = TableSources(line.fromPaths, &several);
  // What works on one table takes a directory that holds exactly one.
  if (several && sources.size() <= 1) {
    if (const char* what = OneTableOnly(line)) {
      if (sources.empty()) {
        PrintOut("Error: %s works on one table, and /FROM: found none\n", what);
        return kExitFailure;
      }
      if (!sources.front().refusal.empty()) {
        WriteOut(sources.front().refusal + "\n");
        return kExitFailure;
      }
      several = false;
    }
  }
  if (several) return RunSeveralTables(line, sources);

  SmbiosReader reader;
  if (options.direct) reader.SetDirectRead();
  const std::string* file = sources.empty() ? nullptr : &sources.front().path;
  if (file != nullptr) reader.SetSourceFile(*file);
  if (line.hasDumpPath) reader.KeepRawTable();

  if (!reader.Load()) {
    PrintOut(" %s Error: Failed to retrieve BIOS information\n",
             platform().system->Bullet());
    reader.Release();
    return kExitFailure;
  }

  if ((line.hasDumpPath && RefusePartial(reader, kDumpSwitch, "saves")) ||
      (line.hasDiffPath && RefusePartial(reader, kDiffSwitch, "compares"))) {
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

  std::unique_ptr<SmbiosReader> saved;
  if (line.hasDiffPath) {
    saved = LoadSavedTable(line.diffPath);
    if (saved == nullptr) {
      reader.Release();
      return kExitFailure;
    }
  }

  // After the output: what /STRICT finds wrong with the tables, the pause,
  // the release.
  auto finish = [&](int result) {
    if (options.strict) {
      bool damaged = ReportDamage(reader, file);
      if (ReportPartial(reader)) damaged = true;
      if (saved != nullptr && ReportDamage(*saved, &line.diffPath)) damaged = true;
      if (damaged) result = kExitFailure;
    }
    if (options.pause) WaitForKey(kPausePrompt);
    reader.Release();
    return result;
  };

  if (options.prom) return finish(PrintProm(reader, saved.get()));
  if (saved != nullptr) return finish(PrintDiff(*saved, reader, options));
  if (options.json) return finish(PrintJson(reader, options, line.selectors));

  for (const char* selector : line.selectors) {
    if (!EqualsIgnoringCase(selector, kAllSwitch)) continue;
    reader.PrintAll();
    return finish(kExitSuccess);
  }

  int runResult = kExitSuccess;
  if (PrintSelectors(reader, options, line.selectors, &runResult) ==
      SelectorOutcome::GroupEnded) {
    return finish(kExitSuccess);
  }
  // Under "/LINES" the last value has ended its line already.
  if (options.csv || (options.crlf && !options.lines)) WriteOut("\n");
  return finish(runResult);
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
