// pck: create, list, test and extract packages; compress and restore single files.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <exception>
#include <vector>

#include "tools/pck/commands.h"

namespace pcktool {

void ReportError(const std::string& text) { std::fprintf(stderr, "pck: %s\n", text.c_str()); }

}  // namespace pcktool

int main(int argc, char** argv) {
  using namespace pcktool;
  CLI::App app{"pck - package and compressed-file tool", "pck"};
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

  for (const Verb& verb : verbs) {
    if (!verb.command->parsed()) continue;
    try {
      return verb.run();
    } catch (const std::exception& e) {
      ReportError(e.what());
      return kExitData;
    }
  }
  return kExitUsage;
}
