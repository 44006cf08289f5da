// `quorvel panel`: draws the effect's information panel through the module's event command
// and writes it as a PNG file; optionally with the pointer resting on a button first, and
// a click on a button, reporting what the module asked to open. Exit codes: 0 done, 2 a
// usage error or an unusable module, 1 an I/O failure.
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>

#include "host/cli/commands.h"
#include "host/image.h"
#include "host/module.h"
#include "host/panel_job.h"

namespace {


struct PanelOptions {
  std::string module;
  std::string hover;
  std::string click;
  std::string output;
};

struct PanelFailure : std::runtime_error {
  PanelFailure(int code, const std::string& message) : std::runtime_error(message), code(code) {}
  int code;
};

PF_Point ButtonPoint(const std::string& option, const std::string& button) {
  PF_Point point{0, 0};
  if (!qvhost::PanelButtonPoint(button, point))
    throw PanelFailure(kExitUsage, option + " " + button + ": expected help, about or web");
  return point;
}

void ReportHostNotes(qvhost::PanelJob& job, qvhost::Session& session) {
  for (const std::string& m : session.messages())
    std::fprintf(stderr, "quorvel panel: the effect says: %s\n", m.c_str());
  for (const std::string& p : session.problems())
    std::fprintf(stderr, "quorvel panel: host check: %s\n", p.c_str());
  for (const std::string& p : job.canvas().problems())
    std::fprintf(stderr, "quorvel panel: host check: %s\n", p.c_str());
}

void ReportOpens(const std::string& button, const qvhost::PanelJob& job) {
  if (job.opens().empty()) std::printf("click on %s: nothing opened\n", button.c_str());
  for (const qvhost::OpenRequest& o : job.opens()) {
    const char* owner = o.parent == qvhost::PanelMainWindow() ? "the host's main window"
                                                              : "another window";
    if (o.what == "about")
      std::printf("click on %s: the about box, owned by %s\n", button.c_str(), owner);
    else
      std::printf("click on %s: open %s, owned by %s\n", button.c_str(), o.target.c_str(), owner);
  }
}

int RunPanel(const PanelOptions& o) {
  if (o.output.empty()) throw PanelFailure(kExitUsage, "--output needs a file name");
  PF_Point hover{0, 0}, click{0, 0};
  if (!o.hover.empty()) hover = ButtonPoint("--hover", o.hover);
  if (!o.click.empty()) click = ButtonPoint("--click", o.click);

  std::shared_ptr<qvhost::Module> module;
  try {
    module = qvhost::Module::Load(o.module.empty() ? DefaultModulePath() : o.module);
  } catch (const qvhost::ModuleError& e) {
    throw PanelFailure(ModuleErrorExit(e), e.what());
  }
  qvhost::PanelJob job(module);
  job.Draw();
  if (!o.hover.empty()) job.Hover(hover);
  if (!o.click.empty() && !job.Click(click))
    throw PanelFailure(kExitFailure, std::string("the module exports no ") +
                                         qvhost::kRecordOpensSymbol + ": a click cannot be recorded");
  ReportHostNotes(job, job.session());
  std::string error;
  if (!qvhost::WritePng(o.output, job.canvas().canvas(), error)) throw PanelFailure(kExitFailure, error);
  std::printf("%s: %dx%d panel%s%s\n", o.output.c_str(), job.canvas().canvas().width,
              job.canvas().canvas().height, o.hover.empty() ? "" : ", pointer on ",
              o.hover.c_str());
  if (!o.click.empty()) ReportOpens(o.click, job);
  return 0;
}

}  // namespace

void AddPanelCommand(CLI::App& app) {
  auto o = std::make_shared<PanelOptions>();
  CLI::App* cmd = app.add_subcommand(
      "panel", "Draw the effect's information panel through the module to a PNG file");
  cmd->add_option("--module", o->module, "the effect module (default: " QUORVEL_DEFAULT_MODULE
                                         " in the plug-in folder beside this program)")
      ->type_name("PATH");
  cmd->add_option("--hover", o->hover, "rest the pointer on a button first")->type_name("help|about|web");
  cmd->add_option("--click", o->click, "click a button and report what the module opens")
      ->type_name("help|about|web");
  cmd->add_option("--output", o->output, "PNG file to write")->type_name("FILE")->required();
  cmd->callback([o] {
    int status = 0;
    try {
      status = RunPanel(*o);
    } catch (const PanelFailure& e) {
      std::fprintf(stderr, "quorvel panel: %s\n", e.what());
      status = e.code;
    } catch (const std::exception& e) {
      std::fprintf(stderr, "quorvel panel: %s\n", e.what());
      status = kExitFailure;
    }
    status = FinishOutput("panel", status);
    if (status != 0) throw CLI::RuntimeError(status);
  });
}
