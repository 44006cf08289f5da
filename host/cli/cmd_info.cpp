// `quorvel info [MODULE]`: loads the module as the host does and prints its PiPL, its
// version and out flags from global setup, and its parameters as the host received them.
// Exit codes: 0 all well, 1 the module answered but the host found faults, 2 the module
// cannot be used.
#include <cstdio>
#include <memory>
#include <string>

#include "host/cli/commands.h"
#include "host/module.h"
#include "host/param_format.h"
#include "host/sdk_names.h"
#include "host/session.h"

namespace {

struct InfoOptions {
  std::string module;
};

std::string Compare(const qvhost::Pipl& pipl, const char* key, uint32_t value) {
  auto stored = pipl.Long(key);
  if (!stored) return std::string("[PiPL has no ") + key + "]";
  return *stored == value
             ? std::string("[PiPL ") + key + ": equal]"
             : std::string("[PiPL ") + key + ": " + qvhost::Hex32(*stored) + ", DIFFERENT]";
}

void PrintIdentity(const qvhost::Session& session, const PF_OutData& out) {
  std::printf("Version: %s (%u) = %s %s\n", qvhost::Hex32(out.my_version).c_str(), out.my_version,
              qvhost::DescribeVersion(out.my_version).c_str(),
              Compare(session.pipl(), "eVER", out.my_version).c_str());
  uint32_t flags = static_cast<uint32_t>(out.out_flags);
  std::printf("Out flags: %s = %s %s\n", qvhost::Hex32(flags).c_str(),
              qvhost::OutFlagNames(flags).c_str(), Compare(session.pipl(), "eGLO", flags).c_str());
  std::printf("Out flags 2: %s\n", qvhost::Hex32(static_cast<uint32_t>(out.out_flags2)).c_str());
}

int Fail(const std::string& what, int code = kExitUnusableModule) {
  std::fprintf(stderr, "quorvel info: %s\n", what.c_str());
  return code;
}

int RunInfo(const InfoOptions& options) {
  std::shared_ptr<qvhost::Module> module;
  try {
    module = qvhost::Module::Load(options.module);
  } catch (const qvhost::ModuleError& e) {
    return Fail(e.what(), ModuleErrorExit(e));
  }
  std::printf("Module: %s\nEntry point: %s\n\n", module->path().c_str(),
              module->entry_name().c_str());
  std::printf("%s\n", qvhost::FormatPipl(module->pipl()).c_str());

  qvhost::Session session(module);
  PF_Err err = session.GlobalSetup();
  if (err != PF_Err_NONE) return Fail("global setup failed with error " + std::to_string(err));
  PrintIdentity(session, session.out_data());

  err = session.ParamsSetup();
  std::printf("\nParameters: %d (num_params %d)\n",
              static_cast<int>(session.definitions().size()) + 1, session.out_data().num_params);
  std::printf("%s", qvhost::FormatParamTable(session.definitions()).c_str());
  if (session.custom_ui())
    std::printf("Custom UI: %s\n", qvhost::DescribeCustomUi(*session.custom_ui()).c_str());
  else
    std::printf("Custom UI: not registered\n");
  PF_Err setdown = session.GlobalSetdown();

  int status = 0;
  if (err != PF_Err_NONE) {
    std::printf("Parameter setup failed with error %d\n", err);
    status = 1;
  }
  if (setdown != PF_Err_NONE) {
    std::printf("Global setdown failed with error %d\n", setdown);
    status = 1;
  }
  for (const std::string& problem : session.problems()) {
    std::printf("Problem: %s\n", problem.c_str());
    status = 1;
  }
  return status;
}

}  // namespace

void AddInfoCommand(CLI::App& app) {
  auto options = std::make_shared<InfoOptions>();
  CLI::App* info = app.add_subcommand(
      "info", "Show a module's PiPL, version, out flags and parameters as the host sees them");
  info->add_option("MODULE", options->module,
                   "the effect module (default: " QUORVEL_DEFAULT_MODULE
                   " in the plug-in folder beside this program)");
  info->callback([options] {
    if (options->module.empty()) options->module = DefaultModulePath();
    std::fflush(stdout);
    const int status = FinishOutput("info", RunInfo(*options));
    if (status != 0) throw CLI::RuntimeError(status);
  });
}
