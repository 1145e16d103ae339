// The installation's record of itself, as a run makes it: the object that writes the
// steps of the uninstall record (uninstall_record.h) and knows what the steps need of
// the run (the application folder and the engine's, the keys the run made, the shared
// files counted, the group made last, the bytes installed). The program makes it for an
// installation and hands it to the engine (TInstall::SetRecord); the operations that
// put something on the machine write their steps through it, inside their attempt, so
// that a step that cannot be written fails the attempt like any other failure. An engine
// without a record records nothing.
//
// Each step's doing is defined beside its undoing, in its step's file (step_*.cpp); what
// it keeps for the log is told to the run's observer as a note.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "install/uninstall_record.h"
#include "platform/files.h"

namespace install {

class TRunObserver;

class InstallRecord {
 public:
  // `target`: the application folder; `dbapi`: the database engine's folder, whose files
  // are shared. `observer` is told what the record keeps; not owned.
  InstallRecord(std::string target, std::string dbapi, TRunObserver& observer);
  ~InstallRecord();
  InstallRecord(const InstallRecord&) = delete;
  InstallRecord& operator=(const InstallRecord&) = delete;

  // ---- the record (install_record.cpp) ----
  // Opens the record file (continued, or started anew); the steps taken before it was
  // open go in first. Raises platform::EInOutError naming the file when it cannot.
  void Open(const std::string& path);
  bool IsOpen() const { return writer_ != nullptr; }
  // Writes a step; raises platform::EInOutError when it cannot be written. Before the
  // record is open a step waits for it.
  void Add(const RecordStep& step);
  const std::string& Target() const { return target_; }
  const std::string& Dbapi() const { return dbapi_; }
  // The size of the files put in place so far.
  int64_t InstalledBytes() const { return installedBytes_; }

  // ---- the steps: each raises platform::EInOutError (or ERegistryException) with the
  // cause when it cannot be done or recorded ----
  // step_folder.cpp: makes the folders of `folder` that are missing, outermost first,
  // recording each; and records a folder made by someone else (the package engine).
  // Answers whether `folder` itself was made now.
  bool MakeFolders(const std::string& folder);
  void FolderMade(const std::string& folder);
  // The application folder made as MakeFolders makes it. One this run made gets access
  // rights of its own (Users may read and run, not change), and its data folder
  // `dataFolder`, made when missing, lets Users modify; a folder that was there keeps its
  // rights, and the log says so. Rights that cannot be set (a file system without access
  // lists) are told to the log, and the run goes on.
  void MakeApplicationFolder(const std::string& folder, const std::string& dataFolder);
  // Sets the access rights `rule` on `path`, telling the log whether they were set.
  void Protect(const std::string& path, platform::AccessRule rule) const;
  // step_program.cpp: copies the running program `program` to `copy` (an older copy
  // replaced), unless it is that file already.
  void CopyProgram(const std::string& program, const std::string& copy);
  // step_entry.cpp: writes the uninstall entry's values, with the size installed so far.
  void WriteEntry(const UninstallEntry& entry);
  // step_registry.cpp: a key made for a value (once), a value written.
  void KeyMade(platform::RegRoot root, const std::string& path);
  void ValueWritten(platform::RegRoot root, const std::string& key, const std::string& name);
  // step_files.cpp: before a member's content with `digest` replaces the file at `path`,
  // keeps a copy of the file when its content is another; once it is in place, records
  // it (and counts an engine's file as shared, step_shared.cpp).
  void KeepCopy(const std::string& path, const platform::TDigest128& digest);
  void FilePlaced(const std::string& path, const platform::TDigest128& digest, int64_t size);
  // step_shared.cpp: raises the count of a shared file by one, once per run.
  void CountShared(const std::string& path);
  // step_progman.cpp: a group made, and a program item made in the group made last.
  void GroupMade(const std::string& name);
  void IconMade(const std::string& caption, const std::string& path);
  // step_shortcut.cpp: a group's Start Menu folder and a shortcut in it, each recorded
  // before it is made.
  void MenuFolderMade(const std::string& path);
  void ShortcutMade(const std::string& path);

 private:
  void Note(const std::string& text) const;

  std::string target_, dbapi_;
  TRunObserver& observer_;
  std::unique_ptr<RecordWriter> writer_;
  std::vector<RecordStep> waiting_;  // taken before the record was open
  std::set<std::string> keysMade_;   // upper-cased "<root>\<path>"
  std::set<std::string> shared_;     // upper-cased paths counted by this run
  bool entryRecorded_ = false;
  std::string lastGroup_;
  int64_t installedBytes_ = 0;
};

// `path` lies in `folder` (compared as the system compares names); `relative` gets the rest.
bool PathBelow(const std::string& path, const std::string& folder, std::string& relative);

}  // namespace install
