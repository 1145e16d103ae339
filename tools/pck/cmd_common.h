// What the package verbs (create, list, info, test, extract) share: their options, the
// paths and texts the user typed as the engine takes them, and the progress bar.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "compress/compress_mode.h"
#include "pack/cpack.h"
#include "platform/codepage.h"
#include "platform/shortstring.h"
#include "tools/pck/archive_pack.h"
#include "tools/pck/progress.h"

namespace CLI {
class App;
}

namespace pck {

// The most workers -j takes by default, whatever the number of processors.
inline constexpr int kDefaultJobsMax = 8;
// Workers for members packed or restored at once: the processors, at most
// kDefaultJobsMax.
int DefaultJobs();

// list, info, test and extract.
struct ReadOptions {
  std::string Archive;
  std::string Directory = ".";
  std::vector<std::string> Patterns, Excludes;
  std::string Password;
  std::string Codepage = platform::CodePage::Default();
  int32_t Offset = 0;
  bool Wide = false;
  bool Verbose = false;
  bool ToStdout = false;  // extract -O
  bool KeepOld = false, KeepNewer = false;
  int Jobs = DefaultJobs();  // -j: test and extract
};

// create.
struct CreateOptions {
  std::string Archive;
  std::string Directory = ".";
  std::vector<std::string> Patterns, Excludes, Header;
  std::string Password;
  std::string Codepage = platform::CodePage::Default();
  compress::TCompressMode Method = compress::TCompressMode::Good;
  int64_t VolumeSize = 0;
  std::string RawHeader;
  pack::TPathOption Path = pack::TPathOption::poRelative;
  bool Verbose = false;
  bool NoDigest = false;
  bool CaseSensitive = false;
  bool NoUnix = false;       // --no-unix
  bool Dereference = false;  // -h, --dereference
  int Jobs = DefaultJobs();  // -j
};

// Reports `text` and answers the usage error's exit status.
int UsageError(const std::string& text);

// The path the engine gets for a file or directory the user named: the full path with
// the engine's separators, so that every directory it names has a directory part to
// start from, however short the name was ("-d ab"), and a package in a disk folder
// finds its siblings. False (reported) when the engine cannot hold it: a path longer
// than `limit` (a package's, by default; a target directory may be the host's).
bool EngineFullPath(const std::string& given, std::string& path,
                    std::size_t limit = platform::kShortStringMax);
// A path the user named, as the engine takes it.
std::string EnginePath(const std::string& given);

// Text the user typed (patterns, header lines, a password: `what`, msg::kPattern, ...)
// in the package's code page; false (reported) for text it cannot hold.
bool PackageTexts(const std::vector<std::string>& typed, std::vector<std::string>& out,
                  const char* what);
// Patterns in the package's code page with the engine's separators.
bool EnginePatterns(const std::vector<std::string>& typed, std::vector<std::string>& out);
// The members the patterns and exclusions of `options` select, in the package's code
// page; false (reported) for a pattern it cannot hold.
bool ChooseMembers(const ReadOptions& options, std::optional<Selection>& chosen);
// Reports each pattern that selected no member; false when there was one.
bool EveryPatternUsed(const Selection& chosen, const std::string& archive);
// The code page of the run (--codepage); false (reported) for one that cannot be used.
bool ChooseCodePage(const std::string& name);

// Opens the reading engine on the package of `options`; false after reporting why not.
bool PrepareRead(ArchivePack& pack, const ReadOptions& options);

// Header lines that start as a digest or metadata line of pck's and do not parse: an
// ordinary header line to the format, so passed over, and what they would have said is
// not known. Said (on standard error) when there are any.
int UnparsedSchemeLines(const std::vector<std::string>& header);
void SayUnparsedSchemeLines(const ArchivePack& pack, const std::string& archive);

// Members that have the name of an earlier member (as this system compares names):
// member index, and the words that say so, the earlier member's name as stored (a
// listing) or as a message shows names.
std::map<std::size_t, std::string> RepeatedNameNotes(const ArchivePack& pack, bool asStored);

// A progress bar that appears with the first report of the work's size, labelled with
// the verb and the member.
class VerbBar {
 public:
  explicit VerbBar(std::string verb) : verb_(std::move(verb)) {}
  void Report(const std::string& member, int64_t done, int64_t total);
  void Finish() {
    if (bar_) bar_->Finish();
  }
  // Follows the engine's reports.
  void Follow(ArchivePack& pack) {
    pack.OnBytes = [this](const std::string& m, int64_t done, int64_t total) {
      Report(m, done, total);
    };
  }

 private:
  std::string verb_, member_;
  std::unique_ptr<ProgressBar> bar_;
};

// The options every reading verb has: the package, --offset and --codepage.
void AddArchiveOption(CLI::App* cmd, ReadOptions& options);
// -j, --jobs for `jobs`.
void AddJobsOption(CLI::App* cmd, int& jobs);
// The members' patterns and exclusions of list, test and extract.
void AddPatternOptions(CLI::App* cmd, ReadOptions& options);
// --codepage, where names are converted (POSIX; on Windows they are the system's own).
void AddCodePageOption(CLI::App* cmd, std::string& codepage);

// The verbs, one file each.
int RunCreate(const CreateOptions& options, bool passwordGiven);
int RunList(const ReadOptions& options);
int RunInfo(const ReadOptions& options);
int RunTest(const ReadOptions& options);
int RunExtract(const ReadOptions& options);

}  // namespace pck
