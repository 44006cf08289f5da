// `quorvel`: the command line reference host. Parses the subcommand and its options, and
// each subcommand loads the module and plays the host's side of the interface.
#include <cstdio>
#include <string>

#include "host/cli/commands.h"

int main(int argc, char** argv) {
  CLI::App app{"quorvel: reference host for the Quorvel64.AEX effect module"};
  app.require_subcommand(1);
  AddInfoCommand(app);
  AddModelCommand(app);
  AddRenderCommand(app);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e);
  }
  return 0;
}
