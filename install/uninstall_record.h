// The uninstall record: what an installation did, one line per step, appended as each
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
// was damaged, and it is never acted on; a last line that is cut short or does not match is
// what a crash left while writing it, and the lines before it stand.
//
// The kinds, in the order an installation writes them:
//   folder   <path>                       a folder the installation created
//   program  <path>                       the uninstaller copied into the application folder
//   entry    <key>                        the uninstall entry (HKEY_LOCAL_MACHINE\<key>)
//   key      <root> <path>                a registry key the installation created
//   value    <root> <key> <name> <existed>  a value written; existed: 1 when its key was
//                                         there before the installation
//   backup   <path> <copy>                the file at <path> was kept at <copy> before
//                                         the installation replaced it
//   file     <path> <size> <digest>       a file written: its size and content digest
//   shared   <path>                       a shared file whose count was raised
//   group    <name>                       a Program Manager group created
//   icon     <group> <caption> <path>     a program item created in it
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/digest.h"
#include "platform/files.h"

namespace install {

inline constexpr const char* kRecordFormat = "QEN2005-UNINSTALL";
inline constexpr int kRecordVersion = 1;

enum class TRecordKind { Folder, Program, Entry, Key, Value, Backup, File, Shared, Group, Icon };

struct TRecordLine {
  TRecordKind Kind;
  std::vector<std::string> Fields;
  friend bool operator==(const TRecordLine&, const TRecordLine&) = default;
};

// The name of a kind as the record writes it, and the number of fields it takes.
const char* RecordKindName(TRecordKind kind);
std::size_t RecordKindFields(TRecordKind kind);

// Appends lines to a record, each written through to the file before Add returns.
class TUninstallRecordWriter {
 public:
  // Opens the record at `path`: a valid one is continued, a missing one (or one too
  // damaged to act on, which is set aside as <path>.BAD) started anew. Raises
  // platform::EInOutError naming the file when it cannot be written.
  explicit TUninstallRecordWriter(const std::string& path);
  ~TUninstallRecordWriter();
  TUninstallRecordWriter(const TUninstallRecordWriter&) = delete;
  TUninstallRecordWriter& operator=(const TUninstallRecordWriter&) = delete;

  // Appends one line; raises platform::EInOutError when it cannot be written.
  void Add(TRecordKind kind, const std::vector<std::string>& fields);
  const std::string& Path() const { return path_; }

 private:
  void Write(const std::string& text);
  std::string path_;
  std::unique_ptr<platform::File> file_;
  std::string check_;  // the check of the last line written
};

enum class TRecordState { Valid, Missing, Damaged };

struct TUninstallRecord {
  TRecordState State = TRecordState::Missing;
  std::vector<TRecordLine> Lines;  // in the order they were written
  bool CutShort = false;           // a last line a crash left half written was dropped
  std::string Problem;             // why it is damaged: which line and what
};

// Reads the record at `path`.
TUninstallRecord ReadUninstallRecord(const std::string& path);
// The same, from the record's bytes.
TUninstallRecord ParseUninstallRecord(const std::string& bytes);

}  // namespace install
