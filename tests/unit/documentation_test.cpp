// The manual page and the help screen name every selector and switch the
// tool knows, so that neither falls behind the code. The manual page's list
// of field selectors is made from the field table: when it differs, run
//   TARNLIX_UPDATE_MANUAL=1 build/tests/tarnlix_unit_tests --gtest_filter='Documentation.*'
// to write it again.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "cli/help_text.h"
#include "cli/run.h"
#include "cli/selectors.h"

namespace tarnlix {
namespace {

const char kBegin[] = ".\\\" The field selectors, made from the field table (see the tests).\n";
const char kEnd[] = ".\\\" End of the field selectors.\n";

// What the name of a field does not say.
const std::map<std::string, std::string> kNotes = {
    {"/BIOSDATE", "as the firmware stores it (usually mm/dd/yyyy);\n.B /ISO\ngives yyyy/mm/dd"},
    {"/BIOSREV", "major.minor"},
    {"/ECREV", "of the embedded controller, major.minor"},
    {"/PCUUID", "32 upper-case hexadecimal digits in groups of 8, 4, 4, 4 and 12,\njoined by "
                "hyphens; nothing when the firmware left it all zeros or all ones"},
    {"/ENCLOSURETYPE", "the chassis type, as the standard names it"},
    {"/ENCLOSURECHASSIS", "the chassis type, as dmidecode names it"},
    {"/PROCESSOREXTRA", "a seventh string of the processor structure"},
    {"/PROCESSORVOLTAGE", "as dmidecode writes it (\"1.2 V\")"},
    {"/CACHECONFIG", "as dmidecode writes it (\"Enabled, Not Socketed, Level 1\")"},
    {"/CACHELEVEL", "the cache level alone"},
    {"/PORTEXTRA", "a third string of the port connector structure"},
    {"/DEVICEDESC", "the description of the first on-board device"},
    {"/MEMTOTAL", "the total memory of all modules: the sum of\n.B /MEMSIZE\n"
                  "over every memory device; it takes no suffix"},
    {"/MACHINEMAKER", "the system's manufacturer, or the\nbaseboard's where the system's is a "
                      "placeholder"},
    {"/MACHINEMODEL", "the system's product name, or the\nbaseboard's where the system's is a "
                      "placeholder"},
    {"/MACHINESERIAL", "the system's serial number, else\nthe chassis', else the baseboard's, "
                       "placeholders skipped"},
    {"/MACHINEUUID", "the system's UUID, unless it is a known placeholder"},
    {"/MACHINEVIRTUAL", "the hypervisor the vendor strings\nname (KVM, QEMU, VMware, "
                        "VirtualBox, Xen, Hyper-V ...), or\n\"virtual machine\" where only the "
                        "BIOS says so; nothing on a physical\nmachine"},
};

std::string Capitalized(std::string text) {
  text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
  return text;
}

std::string Description(const FieldRow& row) {
  // A report place's label is the earlier reports' word for it, not a
  // description.
  const char* label = row.place == 0 ? row.label : nullptr;
  std::string text = row.about != nullptr  ? row.about
                     : row.name[0] != '\0' ? row.name
                     : label != nullptr     ? label
                                            : "";
  while (!text.empty() && text.back() == ' ') text.pop_back();
  if (std::string(row.selector).rfind("/OEM", 0) == 0) text = "OEM string " + std::string(row.selector + 4);
  auto note = kNotes.find(row.selector);
  if (note != kNotes.end()) text += text.empty() ? Capitalized(note->second) : ": " + note->second;
  if (row.kind == FieldKind::Number) text += row.unit[0] != '\0' ? std::string(", in ") + row.unit : ", a number";
  if (row.kind == FieldKind::List) text += ", a list";
  return text + ".";
}

// The section as the field table gives it: one subsection per structure
// type, one entry per selector, a second spelling beside the first.
std::string FieldSection() {
  std::string out = kBegin;
  for (size_t g = 0; g < StructureGroupCount(); ++g) {
    const StructureGroup& group = StructureGroups()[g];
    std::string type = group.type == kOtherTypes ? "" : ", type " + std::to_string(group.type);
    out += ".SS " + Capitalized(group.what) + ": " + group.selector + type + "\n";
    bool first = true;
    for (size_t i = 0; i < group.rowCount; ++i) {
      const FieldRow& row = group.rows[i];
      if (row.alias) continue;
      out += first ? ".TP 24\n" : ".TP\n";
      first = false;
      const FieldRow* alias =
          i + 1 < group.rowCount && group.rows[i + 1].alias ? &group.rows[i + 1] : nullptr;
      out += alias != nullptr ? ".BR " + std::string(row.selector) + " \" or \" " + alias->selector
                              : ".B " + std::string(row.selector);
      out += "\n" + Description(row) + "\n";
    }
  }
  for (size_t g = 0; g < TableGroupCount(); ++g) {
    const TableGroup& group = TableGroups()[g];
    out += ".SS " + Capitalized(group.what) + ": the " + (group.selector + 1) + " object\n";
    for (size_t i = 0; i < group.rowCount; ++i) {
      out += std::string(i == 0 ? ".TP 24\n" : ".TP\n") + ".B " + group.rows[i].selector + "\n" +
             Description(group.rows[i]) + "\n";
    }
  }
  return out + kEnd;
}

// True when text holds word whole: "/P" is not named by "/PCNAME". A word
// that ends in a colon takes its value right after it.
bool Names(const std::string& text, const std::string& word) {
  for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
    size_t end = at + word.size();
    if (word.back() == ':' || end == text.size() ||
        !std::isalnum(static_cast<unsigned char>(text[end]))) {
      return true;
    }
  }
  return false;
}

std::string ReadManualPage() {
  std::ifstream in(TARNLIX_MANUAL_PAGE, std::ios::binary);
  std::stringstream manual;
  manual << in.rdbuf();
  return manual.str();
}

TEST(Documentation, TheManualPageListsEveryFieldAsTheFieldTableGivesIt) {
  std::string manual = ReadManualPage();
  size_t begin = manual.find(kBegin);
  size_t end = manual.find(kEnd);
  ASSERT_NE(begin, std::string::npos) << TARNLIX_MANUAL_PAGE;
  ASSERT_NE(end, std::string::npos) << TARNLIX_MANUAL_PAGE;
  end += sizeof kEnd - 1;
  std::string wanted = FieldSection();
  if (manual.compare(begin, end - begin, wanted) == 0) return;
  if (std::getenv("TARNLIX_UPDATE_MANUAL") != nullptr) {
    manual.replace(begin, end - begin, wanted);
    std::ofstream(TARNLIX_MANUAL_PAGE, std::ios::binary) << manual;
    return;
  }
  ADD_FAILURE() << "the field selectors of " << TARNLIX_MANUAL_PAGE
                << " differ from the field table; see the comment at the top of "
                << __FILE__ << " to write them again";
}

TEST(Documentation, EverySelectorAndSwitchIsInTheManualPageAndTheGroupsOnTheHelpScreen) {
  std::string manual = ReadManualPage();
  ASSERT_FALSE(manual.empty()) << TARNLIX_MANUAL_PAGE;
  std::string help;
  for (const std::string& line : HelpText("*")) help += line + "\n";

  // The help screen shows the groups, the switches and the most asked
  // fields, and says that /FIELDS lists them all; it leaves out a switch
  // that does nothing and the switches that show the screen itself.
  const std::set<std::string> notOnHelpScreen = {"/DEBUG", "/?", "/H"};
  for (const SelectorRow& row : SelectorTable()) {
    EXPECT_TRUE(Names(manual, row.text)) << row.text << " is missing from the manual page";
    if (row.kind != SelectorKind::Field) {
      EXPECT_TRUE(Names(help, row.text)) << row.text << " is missing from the help screen";
    }
  }
  for (const char* text : SwitchTexts()) {
    EXPECT_TRUE(Names(manual, text)) << text << " is missing from the manual page";
    if (notOnHelpScreen.count(text) == 0) {
      EXPECT_TRUE(Names(help, text)) << text << " is missing from the help screen";
    }
  }
}

}  // namespace
}  // namespace tarnlix
