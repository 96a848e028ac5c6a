// The manual page and the help screen name every selector and switch the
// tool knows, so that neither falls behind the code.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "cli/help_text.h"
#include "cli/run.h"
#include "cli/selectors.h"

namespace tarnlix {
namespace {

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

TEST(Documentation, EverySelectorAndSwitchIsInTheManualPageAndOnTheHelpScreen) {
  std::ifstream in(TARNLIX_MANUAL_PAGE);
  std::stringstream manual;
  manual << in.rdbuf();
  ASSERT_FALSE(manual.str().empty()) << TARNLIX_MANUAL_PAGE;
  std::string help;
  for (const std::string& line : HelpText("*")) help += line + "\n";

  // What the help screen leaves out on purpose: the second spelling of
  // /ENCLOSEURETYPE, a switch that does nothing, and the switches that show
  // the screen itself.
  const std::set<std::string> notOnHelpScreen = {"/ENCLOSURETYPE", "/DEBUG", "/?", "/H"};

  std::vector<std::string> words;
  for (const SelectorRow& row : SelectorTable()) words.push_back(row.text);
  for (const char* text : SwitchTexts()) words.push_back(text);
  for (const std::string& word : words) {
    EXPECT_TRUE(Names(manual.str(), word)) << word << " is missing from the manual page";
    if (notOnHelpScreen.count(word) == 0) {
      EXPECT_TRUE(Names(help, word)) << word << " is missing from the help screen";
    }
  }
}

}  // namespace
}  // namespace tarnlix
