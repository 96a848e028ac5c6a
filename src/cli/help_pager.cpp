#include "cli/help_pager.h"

#include "cli/help_text.h"
#include "cli/run.h"
#include "platform/platform.h"
#include "platform/stdout.h"

namespace tarnlix {

void ShowHelp(int16_t, int16_t, int16_t) {
  for (const std::string& line : HelpText(platform().system->Bullet())) {
    PrintOut("%s\n", line.c_str());
  }
  EndProcess(kExitSuccess);
}

}  // namespace tarnlix
