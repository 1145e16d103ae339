// The uninstall record: what an installation did, one step per line, appended as each
// step is done and written through at once, so that a run that is canceled, fails or
// crashes still leaves the record of what it did before. Lines of text in the system's
// 8-bit code page, CR LF:
//
//   QEN2005-UNINSTALL<TAB>1<TAB><check>
//   <kind><TAB><field><TAB>...<TAB><check>
//
// The first line names the format and its version. Each line ends with a check: the
// 128-bit XXH3 digest, in hex, of the previous line's check, a TAB and this line's text
// before its own check; the first line's chain starts from nothing. A field holds any
// byte but TAB, CR, LF and `%`, which are written %09, %0D, %0A, %25.
//
// Reading: a line whose check does not match, followed by further lines, means the record
// was damaged, and it is never acted on; so is a step of an unknown kind, with another
// number of fields, or with a field that does not read as its type (a size that is not a
// decimal number, a digest that is not 32 hex digits, `existed` that is not 0 or 1, a
// registry root that is not one of the roots' names). A last line that is cut short or
// does not match is what a crash left while writing it, and the lines before it stand.
//
// The kinds, in the order an installation writes them; what each means, who writes it
// and how it is undone is in its step's header:
//   folder   <path>                         step_folder.h
//   program  <path>                         step_program.h
//   entry    <key>                          step_entry.h
//   key      <root> <path>                  step_registry.h
//   value    <root> <key> <name> <existed>  step_registry.h
//   backup   <path> <copy>                  step_files.h
//   file     <path> <size> <digest>         step_files.h
//   shared   <path>                         step_shared.h
//   group    <name>                         step_progman.h
//   icon     <group> <caption> <path>       step_progman.h
// and, from the record's version 2 on (a version 1 record holding them is damaged):
//   engine     <folder>                     record_scope.h
//   menufolder <path>                       step_shortcut.h
//   shortcut   <path>                       step_shortcut.h
// A reader reads the versions up to its own and refuses a later one as damaged, so that
// an older uninstaller never half acts on kinds it does not know. A record of an earlier
// version that an installation continues is written anew in the current version.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "install/record_scope.h"
#include "install/step_entry.h"
#include "install/step_files.h"
#include "install/step_folder.h"
#include "install/step_progman.h"
#include "install/step_program.h"
#include "install/step_registry.h"
#include "install/step_shared.h"
#include "install/step_shortcut.h"
#include "platform/files.h"

namespace install {

inline constexpr const char* kRecordFormat = "QEN2005-UNINSTALL";
inline constexpr int kRecordVersion = 2;

// One step of the record, in the order of the kinds above.
using RecordStep =
    std::variant<FolderStep, ProgramStep, EntryStep, KeyStep, ValueStep, BackupStep, FileStep,
                 SharedStep, GroupStep, IconStep, EngineStep, MenuFolderStep, ShortcutStep>;

// The kind's name as the record writes it ("folder", "value", ...).
const char* RecordKindName(const RecordStep& step);
// A step's line as the record holds it, without its check: the kind and the fields,
// escaped, between TABs.
std::string RecordLineText(const RecordStep& step);

// Appends steps to a record, each written through to the file before Add returns.
class RecordWriter {
 public:
  // Opens the record at `path`: a valid one is continued, a missing one (or one too
  // damaged to act on, which is set aside as <path>.BAD) started anew. Raises
  // platform::EInOutError naming the file when it cannot be written.
  explicit RecordWriter(const std::string& path);
  ~RecordWriter();
  RecordWriter(const RecordWriter&) = delete;
  RecordWriter& operator=(const RecordWriter&) = delete;

  // Appends one step; raises platform::EInOutError when it cannot be written. After a
  // write that failed, the next Add writes the whole record anew beside it and puts it in
  // its place, so that the half line the failure may have left never lies between two
  // whole ones.
  void Add(const RecordStep& step);
  const std::string& Path() const { return path_; }

 private:
  // Writes every step (and the header) to <path>.NEW, puts it in the record's place and
  // opens it for appending.
  void WriteWhole();
  std::string path_;
  std::unique_ptr<platform::File> file_;
  std::vector<RecordStep> steps_;  // every step the record holds
  std::string check_;              // the check of the last line written
  bool broken_ = false;            // the last write failed
};

enum class RecordState { Valid, Missing, Damaged };

struct UninstallRecord {
  RecordState State = RecordState::Missing;
  int Version = 0;                // of the format, as its first line says
  std::vector<RecordStep> Steps;  // in the order they were written
  bool CutShort = false;          // a last line a crash left half written was dropped
  std::string Problem;            // why it is damaged: which line and what
};

// Reads the record at `path`.
UninstallRecord ReadUninstallRecord(const std::string& path);
// The same, from the record's bytes.
UninstallRecord ParseUninstallRecord(const std::string& bytes);

// Why the first step of `steps` that lies outside `scope` does (its line, counted as in
// the file, where the steps start on line 2); empty when every step lies inside.
// (record_scope.cpp)
std::string LineOutside(const std::vector<RecordStep>& steps, const RecordScope& scope);

}  // namespace install
