// `quorvel`: the command line reference host. Parses the subcommand and its options, and
// each subcommand loads the module and plays the host's side of the interface.
#include <cstdio>
#include <exception>
#include <new>
#include <string>

#include "host/cli/commands.h"

namespace {

int Run(int argc, char** argv) {
  CLI::App app{"quorvel: reference host for the Quorvel64.AEX effect module"};
  app.require_subcommand(1);
  AddAboutCommand(app);
  AddInfoCommand(app);
  AddModelCommand(app);
  AddRenderCommand(app);
  AddPanelCommand(app);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // A command's own failures carry their exit code; any other parse error is a usage
    // error (2), whatever code the parser gives it.
    const int code = app.exit(e);
    const bool own = dynamic_cast<const CLI::RuntimeError*>(&e) != nullptr;
    return own || code == 0 ? code : 2;
  }
  return 0;
}

}  // namespace

// The host's own allocations can fail as well as the module's: that ends in a message and
// exit code 1, never in an abort.
int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::bad_alloc&) {
    std::fputs("quorvel: out of memory\n", stderr);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "quorvel: %s\n", e.what());
  }
  return 1;
}
