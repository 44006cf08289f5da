// `quorvel info` (not built yet).
#include "host/cli/commands.h"

void AddInfoCommand(CLI::App& app) {
  app.add_subcommand("info", "not built yet")->callback([] { throw CLI::RuntimeError("not built yet", 2); });
}
