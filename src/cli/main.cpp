#include <iostream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/interrupt.h"
#include "support/heap_reuse.h"

int main(int argc, char** argv) {
  vido::RetainFreedMemory();
  vido::InstallInterruptHandler();
  std::vector<std::string> args(argv + 1, argv + argc);
  return vido::RunCli(args, std::cout, std::cerr);
}
