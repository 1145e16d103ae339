// The verbs of the pck tool. Each module adds its subcommands to the application and
// runs them; a command returns the process exit status.
#pragma once

#include <functional>
#include <map>
#include <string>

#include "compress/compress_mode.h"

namespace CLI {
class App;
}

namespace pck {

// Exit statuses: success, a data or archive error, a usage error.
inline constexpr int kExitOk = 0;
inline constexpr int kExitData = 1;
inline constexpr int kExitUsage = 2;

// The names of the compression methods, as --method takes them.
inline const std::map<std::string, compress::TCompressMode> kMethods = {
    {"good", compress::TCompressMode::Good},
    {"fast", compress::TCompressMode::Fast},
    {"auto", compress::TCompressMode::Auto}};

// A registered verb: after parsing, `run` is called when its subcommand was given.
struct Verb {
  CLI::App* Command;
  std::function<int()> Run;
};

// compress, decompress
void AddFileVerbs(CLI::App& app, std::function<void(Verb)> add);

// create, list, info, test, extract
void AddArchiveVerbs(CLI::App& app, std::function<void(Verb)> add);

// Prints "pck: <text>" on standard error, its control characters escaped; paths in it
// are shown already (Shown, ShownName).
void ReportError(const std::string& text);

}  // namespace pck
