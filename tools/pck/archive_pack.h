// The pck tool's package engine: TPackLz with what a command line needs on top.
//
// - Volume sets on fixed disks: a package whose folder is named DISKn (any letter case)
//   continues in the sibling folders DISK(n+1), DISK(n+2), ... under the same file
//   name; volumes are found there (or created there when writing) without a prompt.
//   Elsewhere the engine's own volume switching stays as it is. A new set's volumes are
//   all put in place together once the set is complete.
// - Three ways of treating members when reading, each a sink (member_sinks.h): restore
//   them to files (extract), restore them to nowhere so only the driver's checks remain
//   (test, which goes on past a member that does not restore), or keep just the first
//   bytes of their compressed form (list: method and uncompressed size).
// - The password is asked on the terminal when a package needs one and none was given.
// - Progress in bytes over the whole volume set, for a progress bar.
// - Failures in one line, naming the package, the member and the cause.
// - Names in the package's code page (PackageText): members are restored under their
//   names in the system's text, and a name that is no text of the code page is refused
//   with the reason while the run goes on; files are packed under their names in the
//   code page, matched against patterns in it, and a file whose name the package cannot
//   hold (a character the code page has not, a `\` in a POSIX name), or two files under
//   one name as the package's home system compares names, are refused before anything
//   is written.
// - Members under one name: the later one replaces the earlier on extraction, which is
//   reported; test and list tell which names repeat.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "pack/cpacklz.h"
#include "tools/pck/member_sinks.h"

namespace pck {

// A package path whose folder is a disk folder "DISKn".
struct DiskFolder {
  std::string parent;  // up to and including the separator before the folder
  std::string word;    // "DISK" as written in the path
  int number = 0;
  std::string name;  // file name inside the folder

  std::string VolumePath(int disk) const;
};
// The disk folder of `path` (backslash separators), if its folder is named DISKn.
std::optional<DiskFolder> FindDiskFolder(const std::string& path);

enum class MemberMode { Restore, Verify, Peek };

class ArchivePack : public pack::TPackLz {
 public:
  // `shownName` is the package as the user named it, for messages.
  ArchivePack(std::string shownName, MemberMode mode);

  // Points the engine at `path` (engine separators); recognises a disk folder.
  void SetArchive(const std::string& path);
  bool InDiskFolder() const { return disk_.has_value(); }

  // Reads (pmList / pmExtract) or writes the package from the first volume on.
  bool Run(pack::TPackMode mode);
  // Writes the package from the files of the list BuildList made (and RefusedFiles
  // checked): the folders are not searched again, so nothing found since goes in unchecked.
  bool Write();

  // ---- password ----
  // Probe: never ask; remember that the package is protected (info).
  bool probePassword = false;
  bool PasswordRequired() const { return passwordRequired_; }
  bool Protected() const { return protected_; }

  // ---- results ----
  // A member failure: entry name and cause, ready to show.
  struct Failure {
    std::string member;
    std::string cause;
  };
  const std::vector<Failure>& Failures() const { return failures_; }
  const std::vector<MemberInfo>& Members() const { return members_; }
  int MembersDone() const { return membersDone_; }
  // Reading: the last run read every entry of the package, whatever became of them.
  bool ReadToEnd() const { return readToEnd_; }
  // Reading: the number the first volume carries.
  int FirstVolumeNumber() const { return firstVolumeNumber_; }
  // Extracting: members that replaced an earlier member of the same name, each with the
  // line that says so.
  const std::vector<Failure>& Replaced() const { return replaced_; }
  // For each of Members() that has the name of an earlier one (as this system compares
  // names), the index of the earliest.
  std::vector<std::pair<std::size_t, std::size_t>> RepeatedNames() const;

  // ---- writing ----
  // After BuildList: the files found that cannot be stored, and the files that would be
  // stored under the same name, each with the reason (`member` is the file's path).
  // Each file is listed once, also when two patterns find it.
  std::vector<Failure> RefusedFiles();
  // One line naming the archive, the member and the cause of a failed Run or Write.
  std::string FailureText() const;
  // A failure as one line: the archive, the member (when there is one) and the cause.
  std::string FailureLine(const Failure& failure) const;

  // ---- reporting ----
  std::function<void(const std::string& member, int64_t size, int64_t stored)> OnMemberDone;
  // Bytes done out of the total of the volume set (reading) or of the sources (writing).
  std::function<void(const std::string& member, int64_t done, int64_t total)> OnBytes;

  // Total size of the volume files that exist for this set (reading).
  int64_t VolumeSetSize() const;

  // The files to pack, as the engine's BuildList finds them, but with every name taken
  // in the package's code page: patterns are compared with it (so `?` is one character,
  // whatever its length in the system's text), and a file whose name the code page
  // cannot hold is kept apart for RefusedFiles instead of being left out.
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
  void OpenSource(const std::string& FileName) override;
  void CloseSource() override;
  void CloseTarget(const std::string& FileName) override;

 private:
  void HandlePassword(std::string& password);
  void ReportBytes(int64_t within);
  int64_t PackPosition() const;
  int64_t BytesRead() const;
  void NoteMemberFailure(const std::exception& e);
  // A cause as the user sees it: the staging file named by the member it held (reading)
  // or said to be in the temporary folder (writing), the member's name and target in the
  // system's text.
  std::string ShownCause(const std::string& text) const;
  // A file two patterns found is packed once.
  void KeepEachFileOnce();
  // The name of a member as this system compares file names, or as the package's home
  // system does (`fold`: letter case does not count).
  static std::string NameKey(const std::string& name, bool fold);

  std::string shownName_;
  MemberMode mode_;
  MemberSink* sink_ = nullptr;  // while the package is read
  bool keepGoing_;              // a member that does not restore does not end the run (test)
  std::string firstVolume_;
  std::optional<DiskFolder> disk_;
  int diskNumber_ = 0;

  bool passwordRequired_ = false;
  bool protected_ = false;
  bool passwordNotNeeded_ = false;  // a password given for a package that has none
  std::vector<Failure> failures_;
  std::vector<Failure> replaced_;
  std::vector<Failure> unstorable_;                    // files BuildList found and cannot store
  std::optional<std::vector<std::string>> fixedList_;  // while writing: the list made before
  std::vector<std::string> refusals_;                  // the engine's refusals of member names
  bool refusedHere_ = false;                           // a member refused for its code page
  bool readToEnd_ = false;
  bool copying_ = false;  // a member's bytes go into the staging file
  int firstVolumeNumber_ = 0;
  std::map<std::string, std::string> restored_;  // name key of each member restored, its name
  std::string volumeError_;
  std::vector<MemberInfo> members_;
  int membersDone_ = 0;
  int entriesSeen_ = 0, entriesTotal_ = 0;

  // Progress.
  int64_t total_ = 0;
  int64_t doneBefore_ = 0;    // previous volumes (reading) or finished sources (writing)
  int64_t memberStart_ = -1;  // bytes read when the current member's data began
  std::string current_;       // name of the member being worked on
  std::string sourcePath_;    // file being added
};

}  // namespace pck
