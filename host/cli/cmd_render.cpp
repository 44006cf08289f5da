// `quorvel render` (not built yet).
#include "host/cli/commands.h"

void AddRenderCommand(CLI::App& app) {
  app.add_subcommand("render", "not built yet")->callback([] { throw CLI::RuntimeError("not built yet", 2); });
}
