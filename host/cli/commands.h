// The subcommands of the `quorvel` command line host. Each file adds one subcommand to
// the application and runs it when chosen.
#pragma once

#include <CLI/CLI.hpp>

#include "host/module.h"

// Exit codes of every command: 0 done, 1 a failure while working (a render, a file, the
// output), 2 a usage error or a bad value. A module that cannot be used (missing, a
// directory, cut short, not an effect) is a bad value.
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kExitUnusableModule = kExitUsage;

// The exit code for a module that cannot be loaded: a bad value, or a failure when memory
// ran out while loading it.
inline int ModuleErrorExit(const qvhost::ModuleError& e) {
  return e.out_of_memory() ? kExitFailure : kExitUnusableModule;
}

// The command's exit status once its standard output is flushed: what it printed is its
// result, so a standard output that cannot take it (a full disk, a closed pipe) turns
// success into a failure, said on standard error.
int FinishOutput(const char* command, int status);

// `quorvel about [--module M] [--screenshot FILE]`: the module's about box.
void AddAboutCommand(CLI::App& app);
// `quorvel info [MODULE]`: the PiPL, version, out flags and parameters of a module.
void AddInfoCommand(CLI::App& app);
// `quorvel model FILE` and `quorvel model --from-obj IN OUT`: model files.
void AddModelCommand(CLI::App& app);
// `quorvel render ...`: renders frames through the module.
void AddRenderCommand(CLI::App& app);
// `quorvel panel ...`: draws the information panel through the module to a PNG file.
void AddPanelCommand(CLI::App& app);

// The module the commands load when none is named: Quorvel64.AEX in the plug-in folder
// beside the program.
std::string DefaultModulePath();
