// Program entry: the native platform, then one run.
#include "cli/run.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
  tarnlix::InstallPlatform(tarnlix::NativePlatform());
  int code = tarnlix::RunTarnlix(argc, argv);
  tarnlix::EndProcess(code);
}
