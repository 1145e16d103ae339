// The pck tool's package engine: TPackLz with what a command line needs on top, each
// concern in a file of its own:
//
// - volume sets in disk folders DISKn (disk_folders.h): volumes are found there, or
//   created there when writing, without a prompt; elsewhere the engine's own volume
//   switching stays as it is. A new set's volumes are all put in place together once
//   the set is complete;
// - the sink members go to (member_sinks.h), handed to the engine as the files port for
//   members' targets and the staging file: extract, test or list;
// - the password prompt (password_prompt.h);
// - progress in bytes over the whole volume set (byte_progress.h);
// - failures in one line, naming the package, the member and the cause, composed from
//   the engine's failure record (failure_text.h);
// - members under one name (repeated_names.h): the later one replaces the earlier on
//   extraction, which is reported; test and list tell which names repeat;
// - the files to pack, named in the package's code page (pack_list.h). Members are
//   restored under their names in the system's text, and a name that is no text of the
//   code page is refused with the reason while the run goes on.
//
// What one run learns is one ArchiveRun, made anew by each Run and Write.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "pack/cpacklz.h"
#include "tools/pck/byte_progress.h"
#include "tools/pck/disk_folders.h"
#include "tools/pck/failure_text.h"
#include "tools/pck/member_sinks.h"
#include "tools/pck/name_pattern.h"
#include "tools/pck/pack_list.h"
#include "tools/pck/password_prompt.h"
#include "tools/pck/repeated_names.h"
#include "tools/pck/source_walk.h"
#include "tools/pck/unix_meta.h"

namespace pck {

// The longest target path pck extracts to: the host's (POSIX: PATH_MAX less its final
// zero); on Windows the system's 255, as the ANSI calls take it.
#ifdef _WIN32
inline constexpr std::size_t kHostTargetMax = 255;
#else
inline constexpr std::size_t kHostTargetMax = 4095;
#endif

// Extracting over files that are there: replace them (the default), keep each one
// (-k), or keep those newer than the member (--keep-newer-files).
enum class KeepFiles { None, Old, Newer };

// What one run of the engine learns and reports.
struct ArchiveRun {
  ArchiveRun(const std::string& shownName, bool probePassword, int64_t total, int64_t offset,
             int diskNumber)
      : Password(shownName, probePassword), Bytes(total, offset), DiskNumber(diskNumber) {}

  PasswordPrompt Password;
  ByteProgress Bytes;
  RestoredNames Restored;
  std::vector<MemberInfo> Members;     // every entry read, in order
  std::vector<ShownFailure> Failures;  // members refused or failed
  std::vector<ShownFailure> Replaced;  // members that replaced an earlier one of their name
  std::vector<ShownFailure> Kept;      // members not extracted over a file that is there
  // Why the run could not go on to the next volume, shown; empty while it could.
  std::string VolumeCause;
  // A member refused for its name in the code page, or extracted from a stream that
  // failed to restore: reported, and the run went on.
  bool FailedHere = false;
  bool ReadToEnd = false;  // reading: every entry was read, whatever became of them
  int MembersDone = 0;     // restored (reading) or packed (writing)
  int EntriesSeen = 0, EntriesTotal = 0;
  int FirstVolumeNumber = 0;  // the number the first volume carries
  int DiskNumber;             // the disk folder of the volume being read or written
  std::string Current;        // the member being worked on
  std::string Source;         // writing: the file being packed
  // Writing: the files to pack, as BuildList found them before the run.
  std::optional<std::vector<std::string>> FixedList;
};

class ArchivePack : public pack::TPackLz {
 public:
  // `shownName` is the package as the user named it, for messages.
  ArchivePack(std::string shownName, MemberMode mode);
  ~ArchivePack() override;

  // Points the engine at `path` (engine separators); recognises a disk folder.
  void SetArchive(const std::string& path);
  bool InDiskFolder() const { return disk_.has_value(); }
  // Reading never asks for a password; a protected package shows as such (info).
  void SetProbePassword(bool probe) { probePassword_ = probe; }

  // Reads (pmList / pmExtract) the package from the first volume on.
  bool Run(pack::TPackMode mode);
  // Writes the package from the files of the list BuildList made (and RefusedFiles
  // checked): the folders are not searched again, so nothing found since goes in unchecked.
  bool Write();
  // The last run; valid once Run or Write has been called.
  const ArchiveRun& LastRun() const { return *run_; }

  // After BuildList: the files found that cannot be stored, and the files that would be
  // stored under the same name, each with the reason (`Member` is the file's path).
  // Each file is listed once, also when two patterns find it.
  std::vector<ShownFailure> RefusedFiles();
  // One line naming the archive, the member and the cause of a failed Run or Write.
  std::string FailureText() const;
  // A failure of the last run as one line.
  std::string FailureLine(const ShownFailure& failure) const {
    return pck::FailureLine(shownName_, failure);
  }

  // ---- reporting ----
  std::function<void(const std::string& member, int64_t size, int64_t stored)> OnMemberDone;
  // Bytes done out of the total of the volume set (reading) or of the sources (writing).
  std::function<void(const std::string& member, int64_t done, int64_t total)> OnBytes;

  // Reading: the members the command line's patterns select (name_pattern.h); every
  // member while there is none. The engine's Items and Excludes are not used then.
  std::optional<Selection> Chosen;
  // Extracting: which files that are there stay.
  KeepFiles Keep = KeepFiles::None;

  // Writing: the files and folders the command line named, as typed (source_walk.h);
  // the engine's Items are not used.
  std::vector<std::string> Sources;
  // Writing: names that differ only in letter case are stored (--case-sensitive); by
  // default they are refused, as the package's home system takes them for one.
  bool CaseSensitive = false;
  // What is kept of links and empty folders (source_walk.h).
  WalkRules Rules;
  // After BuildList: what the walk over Sources found and said.
  const SourceWalk& Walk() const { return walk_; }
  // Reading: the package's Linux metadata (unix_meta.h), once its header has been read.
  const UnixLines& Unix() const { return unix_; }
  // After BuildList: `path` packed too, stored under `stored` (a link's staged target).
  void AddSource(const std::string& path, const std::string& stored) {
    List.push_back(path);
    walk_.Stored[path] = stored;
  }

  // The files to pack (source_walk.h), their names in the package's code page.
  void BuildList() override;
  // The name of a file of List in the package's code page.
  std::string StoredName(const std::string& path) override;

 protected:
  bool NextVolume() override;
  // A set in disk folders is put in place only once it is complete.
  bool FirstVolumeStaysAtHand() const override {
    return disk_.has_value() || pack::TPackLz::FirstVolumeStaysAtHand();
  }
  bool IsSelected() override;
  void OpenSource(const std::string& fileName) override;
  void CloseSource() override;
  void CloseTarget(const std::string& fileName) override;
  bool HandOver(const std::string& fileName) override;
  // Workers open staging files and sources through the port the sink passes calls on to.
  platform::FileSystem& WorkerFiles() override { return sink_->Forwarded(); }

 private:
  ArchiveRun& StartRun(int64_t total, int64_t offset);
  void ReportBytes(int64_t driverIn);
  int64_t PackPosition() const;
  FailureContext Context() const;
  // A member's failure, with the cause as shown (the volume's, when a volume ended it).
  void NoteMemberFailure(const pack::PackFailure& failure);
  // The failure of the member whose stream `e` ended, recorded as the member's.
  void NoteStreamFailure(const std::exception& e);
  // Extracting: the member just placed at `path` gets the mode and time (or becomes the
  // link) its metadata line gives; a refusal is the member's failure (false).
  bool RestoreMeta(const std::string& path);
  // A file is there, under the member's name in the system's text, that stays (Keep).
  bool KeepsFileThere(const std::string& systemName);
  // The member's stored bytes are all in the staging file; raises when they are not.
  void CheckStaged();
  // Disk folders: the next volume, found or made in the next folder.
  bool NextDiskVolume();

  std::string shownName_;
  MemberMode mode_;
  std::unique_ptr<MemberSink> sink_;  // the engine's files port for targets and staging
  std::string firstVolume_;
  std::optional<DiskFolder> disk_;
  bool probePassword_ = false;
  SourceWalk walk_;  // BuildList's files, those it found and cannot store, and its notes
  std::unique_ptr<ArchiveRun> run_;
  UnixLines unix_;
};

}  // namespace pck
