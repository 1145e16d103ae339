// compress and decompress: one file into one compressed file and back, with the
// compressed-file driver.
#include <CLI/CLI.hpp>
#include <map>
#include <memory>
#include <string>

#include "compress/lzrw1.h"
#include "platform/exceptions.h"
#include "platform/files.h"
#include "tools/pck/choice.h"
#include "tools/pck/commands.h"
#include "tools/pck/disk_folders.h"
#include "tools/pck/pck_messages.h"
#include "tools/pck/progress.h"
#include "tools/pck/shown.h"

namespace pck {
namespace {

struct FileOptions {
  std::string Input;
  std::string Output;
  compress::TCompressMode Method = compress::TCompressMode::Good;
};

int RunDriver(const FileOptions& options, bool compress) {
  compress::Tlzrw1 driver(nullptr);
  driver.InputFile = platform::FromHostPath(options.Input);
  driver.OutputFile = platform::FromHostPath(options.Output);
  driver.CompressMode = options.Method;
  // Compressing reports input bytes taken, restoring reports compressed bytes read:
  // either way the bar follows the input file.
  ProgressBar bar(msg::Fmt(compress ? msg::kCompressing : msg::kRestoring, options.Input),
                  FileSize(driver.InputFile));
  driver.OnProgress = [&bar](platform::TObject*, int32_t inSize, int32_t) { bar.Update(inSize); };
  try {
    if (compress)
      driver.Compress();
    else
      driver.Decompress();
  } catch (const std::exception& e) {
    bar.Finish();
    ReportError(Shown(platform::Describe(e)));
    return kExitData;
  }
  return kExitOk;
}

}  // namespace

void AddFileVerbs(CLI::App& app, std::function<void(Verb)> add) {
  auto options = std::make_shared<FileOptions>();

  CLI::App* compress = app.add_subcommand("compress", msg::kHelpCompress);
  compress->add_option("--method,-m", options->Method, msg::kHelpMethod)
      ->transform(NamedChoice(kMethods))
      ->default_str("good");
  compress->add_option("INPUT", options->Input, msg::kHelpCompressInput)->required();
  compress->add_option("OUTPUT", options->Output, msg::kHelpCompressOutput)->required();
  add({compress, [options] { return RunDriver(*options, true); }});

  CLI::App* decompress = app.add_subcommand("decompress", msg::kHelpDecompress);
  decompress->add_option("INPUT", options->Input, msg::kHelpDecompressInput)->required();
  decompress->add_option("OUTPUT", options->Output, msg::kHelpDecompressOutput)->required();
  add({decompress, [options] { return RunDriver(*options, false); }});
}

}  // namespace pck
