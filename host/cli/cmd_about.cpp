// `quorvel about [--module M] [--screenshot FILE]`: sends the host's about command. On
// Windows the module shows its about box; the host prints what the box shows, can capture
// it into a PNG file, and closes it as the Escape key would. Natively there is no dialog:
// the command prints the box's texts. Both print where the help page lies.
// Exit codes: 0 done, 1 no box appeared or the capture failed, 2 the module cannot be used.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "host/cli/commands.h"
#include "host/dialog_watch.h"
#include "host/module.h"
#include "host/session.h"
#include "ui/about_texts.h"
#include "ui/help_link.h"
#include "ui/web_address.h"

namespace {

struct AboutOptions {
  std::string module;
  std::string screenshot;
};

int Fail(int code, const std::string& what) {
  std::fprintf(stderr, "quorvel about: %s\n", what.c_str());
  return code;
}

// The box's texts are in the Windows ANSI code page; the terminal reads UTF-8.
std::string Utf8(const std::string& ansi) {
  std::string out;
  for (char c : ansi) out += c == '\xAE' ? std::string("\xC2\xAE") : std::string(1, c);
  return out;
}

void PrintHelpPage(const std::string& module_path) {
  const std::filesystem::path page =
      std::filesystem::path(module_path).parent_path() / kHelpPagePath;
  std::error_code ec;
  const bool present = std::filesystem::is_regular_file(page, ec);
  std::printf("Help page: %s%s\n", page.string().c_str(), present ? "" : " (missing)");
}

#if defined(_WIN32)
void PrintSight(const qvhost::DialogSight& sight) {
  std::printf("About box: \"%s\"\n", Utf8(sight.title).c_str());
  for (const std::string& text : sight.static_texts) std::printf("  text: %s\n", Utf8(text).c_str());
  for (const std::string& text : sight.button_texts) std::printf("  button: %s\n", text.c_str());
  std::printf("  picture: %dx%d\n", sight.picture_width, sight.picture_height);
  for (const qvhost::DialogTooltip& tip : sight.tooltips)
    std::printf("  tooltip of control %d: %s\n", tip.control_id, tip.text.c_str());
}

#else
void PrintBuiltInTexts() {
  std::printf("About box: \"%s\" (the native build shows no dialog)\n", QUORVEL_ABOUT_TITLE);
  std::printf("  text: %s\n", Utf8(QUORVEL_ABOUT_PRODUCT_LINE).c_str());
  std::printf("  text: %s\n", QUORVEL_ABOUT_SECOND_LINE);
  std::printf("  button: %s -> %s\n", QUORVEL_WEB_CAPTION, QUORVEL_WEB_ADDRESS);
  std::printf("  button: Close\n");
}
#endif

int RunAbout(const AboutOptions& options) {
#if !defined(_WIN32)
  if (!options.screenshot.empty())
    return Fail(kExitUsage, "--screenshot needs the Windows build: the native module shows no dialog");
#endif
  std::shared_ptr<qvhost::Module> module;
  try {
    module = qvhost::Module::Load(options.module);
  } catch (const qvhost::ModuleError& e) {
    return Fail(ModuleErrorExit(e), e.what());
  }
  qvhost::Session session(module);
  if (session.GlobalSetup() != PF_Err_NONE) return Fail(kExitUnusableModule, "global setup failed");

  qvhost::DialogWatchOptions watch;
  watch.screenshot = options.screenshot;
  PF_Err err = PF_Err_NONE;
  const qvhost::DialogSight sight = qvhost::WatchDialog([&] { err = session.About(); }, watch);
  (void)sight;  // natively nothing is shown
  session.GlobalSetdown();

  int status = 0;
#if defined(_WIN32)
  if (sight.shown) {
    PrintSight(sight);
  } else {
    status = Fail(kExitFailure, "the module showed no about box (is there a display?)");
  }
  if (!options.screenshot.empty()) {
    if (sight.screenshot_written)
      std::printf("Screenshot: %s\n", options.screenshot.c_str());
    else if (sight.shown)
      status = Fail(kExitFailure, "cannot write the screenshot " + options.screenshot + ": " + sight.error);
  }
#else
  PrintBuiltInTexts();
#endif
  PrintHelpPage(module->path());
  if (err != PF_Err_NONE) status = Fail(kExitFailure, "the about command returned error " + std::to_string(err));
  return status;
}

}  // namespace

void AddAboutCommand(CLI::App& app) {
  auto options = std::make_shared<AboutOptions>();
  CLI::App* about = app.add_subcommand("about", "Send the about command: the module's about box");
  about->add_option("--module", options->module,
                    "the effect module (default: " QUORVEL_DEFAULT_MODULE
                    " in the plug-in folder beside this program)");
  about->add_option("--screenshot", options->screenshot,
                    "capture the box into this PNG file, then close it (Windows build)");
  about->callback([options] {
    if (options->module.empty()) options->module = DefaultModulePath();
    std::fflush(stdout);
    const int status = FinishOutput("about", RunAbout(*options));
    if (status != 0) throw CLI::RuntimeError(status);
  });
}
