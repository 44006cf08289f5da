// `quorvel model` (not built yet).
#include "host/cli/commands.h"

void AddModelCommand(CLI::App& app) {
  app.add_subcommand("model", "not built yet")->callback([] { throw CLI::RuntimeError("not built yet", 2); });
}
