#include <iostream>
#include <string>
#include <vector>

#include "cli_options.h"
#include "render_command.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  TRenderOptions options;
  try {
    if (ParseArguments(args, options) == TCommand::Help) {
      std::cout << kHelp;
      return 0;
    }
  } catch (const TUsageError& e) {
    std::cerr << "dotweave-cli: " << e.what() << "\n" << kUsage << "\n";
    return 2;
  }
  return RunRender(options, std::cerr);
}
