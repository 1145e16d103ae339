// pck: create, list, test and extract packages; compress and restore single files.
#include <CLI/CLI.hpp>
#include <clocale>
#include <cstdio>
#include <exception>
#include <vector>

#include "pack/cpacklz.h"
#include "platform/exceptions.h"
#include "platform/interrupt.h"
#include "tools/pck/commands.h"
#include "tools/pck/pck_messages.h"
#include "tools/pck/shown.h"

namespace pck {

// One line, whatever the text holds. An interrupted run says nothing more: it ends
// with its own status.
void ReportError(const std::string& text) {
  if (platform::InterruptStatus() != 0) return;
  std::fprintf(stderr, "pck: %s\n", Printable(text).c_str());
}

}  // namespace pck

int main(int argc, char** argv) {
  using namespace pck;
#ifndef _WIN32
  // Names and messages in the locale's encoding (--codepage converts to it).
  std::setlocale(LC_CTYPE, "");
#endif
  platform::InstallInterruptCleanup();
  CLI::App app{msg::kHelpTool, "pck"};
  // Options are -x and --long on every system: an argument that starts with `/` is a
  // path, also on Windows.
  app.allow_windows_style_options(false);
  app.require_subcommand(1);
  app.set_version_flag("--version", "pck 1.0");
  std::vector<Verb> verbs;
  auto add = [&verbs](Verb verb) { verbs.push_back(std::move(verb)); };
  AddFileVerbs(app, add);
  AddArchiveVerbs(app, add);

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e) == 0 ? kExitOk : kExitUsage;
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e) == 0 ? kExitOk : kExitUsage;
  } catch (const CLI::CallForVersion& e) {
    app.exit(e);
    return kExitOk;
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return kExitUsage;
  }

  // What runs killed outright (SIGKILL, a power cut) left in the temporary folder.
  pack::TCustomPackLz::RemoveAbandonedStaging();
  for (const Verb& verb : verbs) {
    if (!verb.Command->parsed()) continue;
    int status = kExitData;
    try {
      status = verb.Run();
    } catch (const std::exception& e) {
      ReportError(Shown(platform::Describe(e)));
    }
    const int interrupted = platform::InterruptStatus();
    return interrupted != 0 ? interrupted : status;
  }
  return kExitUsage;
}
