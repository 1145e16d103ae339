// TCustomPack: the package engine. It reads packages ("PCK10" and "PCK11", single or
// split into volumes across disks, with an optional password): listing the entries and
// extracting the selected members into a directory. For writing it supplies the pieces
// (the member list from wildcard patterns, volume creation with prefix and header
// block, opening member sources) and WritePackage, which writes a whole package.
//
// Member data is opaque to the engine; it reaches a member's file only through the
// overridable OpenSource/CloseSource/OpenTarget/CloseTarget, which the compressed
// engine replaces.
//
// Every failure is recorded in one PackFailure (pack_failure.h): its kind, the member,
// the file, the system's reason and the fixed message; LastError is its text.
//
// Members' targets and the staging file are made through the files port Files() (by
// default the one in use, platform::FileSystemPort()); packages and volumes through the
// one in use.
//
// Hostile input: Extract, Process and WritePackage never raise. A package that is
// truncated or lies about its counts or sizes ends the run with False. A member whose
// name the member-name rule refuses (member_name.h: outside the target directory, a
// control character, a reserved device name, a part ending in a dot or blank) or whose
// target path would be longer than 255 characters is refused before anything is
// opened for it: OnError reports it, its data is skipped, the run goes on with the next
// member and ends with False. Targets are created through the files port's
// CreateReplacement, so no member is written through a link below Directory. No member is
// written outside Directory and no allocation follows an unchecked size.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "pack/member_digests.h"
#include "pack/pack_failure.h"
#include "pack/volume_prefix.h"
#include "platform/component.h"
#include "platform/exceptions.h"
#include "platform/files.h"
#include "platform/interrupt.h"
#include "platform/shortstring.h"

namespace pack {

// ---- exceptions ------------------------------------------------------------------
// A failure of the package engine, with the kind it is recorded under.
class EPackException : public platform::Exception {
 public:
  explicit EPackException(std::string message, std::string reason = {})
      : Exception(std::move(message), std::move(reason)) {}
  EPackException(FailureKind kind, std::string message, std::string reason = {})
      : Exception(std::move(message), std::move(reason)), kind_(kind) {}
  EPackException(FailureKind kind, platform::NamedMessage message, std::string reason = {})
      : Exception(std::move(message), std::move(reason)), kind_(kind) {}
  FailureKind Kind() const { return kind_; }

 private:
  FailureKind kind_ = FailureKind::Other;
};
class EPackFileName : public EPackException {  // "Missing PackFileName"
 public:
  EPackFileName();
};
class EPackPassword : public EPackException {  // "Invalid Password"
 public:
  EPackPassword();
};
class EPackReadError : public EPackException {  // "Error reading data"
 public:
  EPackReadError();
};
// A member refused before extraction: its name (member_name.h) or its target path.
class EPackUnsafeName : public EPackException {
 public:
  explicit EPackUnsafeName(platform::NamedMessage message)
      : EPackException(FailureKind::RefusedName, std::move(message)) {}
};
// An entry record or header that breaks the format (a negative size, for one).
class EPackCorrupt : public EPackException {
 public:
  explicit EPackCorrupt(platform::NamedMessage message)
      : EPackException(FailureKind::Corrupt, std::move(message)) {}
};
// Content, or the directory, that does not match the digest the package carries.
class EPackDigest : public EPackException {
 public:
  explicit EPackDigest(std::string message, std::string reason = {})
      : EPackException(FailureKind::DigestMismatch, std::move(message), std::move(reason)) {}
};
// A failure that was recorded where it came (a volume that could not be had) on its way
// to the run's entry point, which records it as it is, naming the member it ended.
class EPackFailed : public EPackException {
 public:
  explicit EPackFailed(PackFailure failure)
      : EPackException(failure.Kind, failure.Message, failure.Reason),
        failure_(std::move(failure)) {}
  const PackFailure& Failure() const { return failure_; }

 private:
  PackFailure failure_;
};

// ---- types -----------------------------------------------------------------------
enum class TPathOption : uint8_t { poNone, poFullPath, poRelative };
enum class TPackMode : uint8_t { pmWrite = 0, pmList = 3, pmExtract = 4 };

using TStringList = std::vector<std::string>;

using TNotifyEvent = std::function<void(platform::TObject* Sender)>;
using TOnProgress = std::function<void(platform::TObject* Sender, const std::string& FileName,
                                       int32_t Percent, bool& Cancel)>;
using TOnPassword = std::function<void(platform::TObject* Sender, std::string& Password)>;
using TOnList = std::function<void(platform::TObject* Sender, const std::string& FileName,
                                   int32_t Size, uint16_t Attr, int32_t Time)>;
using TOnIO = std::function<void(platform::TObject* Sender, std::string& FileName)>;
using TOnFolder = std::function<void(platform::TObject* Sender, const std::string& Folder)>;
using TOnPlace = std::function<void(platform::TObject* Sender, const std::string& FileName,
                                    const platform::TDigest128& Digest, int64_t Size)>;
using TOnError = std::function<void(platform::TObject* Sender, const platform::Exception& E,
                                    const std::string& FileName)>;

// The format's fixed sizes.
inline constexpr int kEntryFixedSize = 11;  // size, attributes, time, name length
inline constexpr int kBufferSize = 8192;    // member data moves in blocks of this size

// The current entry of the engine.
class TEntry {
 public:
  int32_t Size = 0;
  uint16_t Attr = 0;
  int32_t Time = 0;
  std::string Name;  // at most 255 characters

  void Clear();
  // Reads one entry record from `file` (no volume switch); a short read raises
  // EInOutError.
  void ReadFrom(platform::File& file);
  // Writes this entry's record; a short write raises EInOutError.
  void WriteTo(platform::File& file) const;
  // The record's bytes as they are stored.
  std::vector<uint8_t> Record() const;
  int RecordSize() const { return kEntryFixedSize + static_cast<int>(Name.size()); }
};

// The digest of a stream taken as it passes (a member's restored content, a source being
// packed): the hash so far, whether it saw the stream from start to end in order, and
// how many bytes went by.
struct StreamTally {
  platform::TContentHash Hash;
  bool Streamed = true;
  int64_t Bytes = 0;
};

// What the engine holds of the member it is restoring, apart from the rest of the run. A
// descendant that finishes members later, on other threads (HandOver), keeps each
// member's own and exchanges it with the engine's while it works on that member
// (SwapMember).
struct MemberInFlight {
  std::unique_ptr<TEntry> Entry = std::make_unique<TEntry>();
  int32_t Position = 0;                           // the entry's, counted from 1
  std::string TargetPath;                         // the member's target (OnOpen's choice)
  std::unique_ptr<platform::Replacement> Target;  // its new content
  std::unique_ptr<platform::File> File;           // the file its stored bytes went to
  std::unique_ptr<StreamTally> Content = std::make_unique<StreamTally>();
  std::string Staging;  // a descendant's file the stored bytes are staged in
};

class TCustomPack : public platform::TComponent {
 public:
  explicit TCustomPack(platform::TComponent* AOwner);
  ~TCustomPack() override;

  // ---- operations ----
  // Process(pmExtract). True when every entry was read and every selected member
  // extracted. Never raises.
  bool Extract();
  // Reads the package in `Mode` (pmList or pmExtract). Never raises.
  bool Process(TPackMode Mode);
  // Writes a whole package to PackFileName from the files Items and Excludes select
  // under Directory (BuildList), one entry per file, cutting volumes of at most
  // VolumeSize bytes when it is above 0. Never raises; False on any failure, with the
  // reason in LastError().
  //
  // The name stored for each file follows PathOption:
  //   poNone      the bare file name ("DATA\A.DBF" is stored as "A.DBF");
  //   poRelative  the path relative to Directory, `\` as separator ("DATA\A.DBF");
  //   poFullPath  the full path without its drive: "C:" or "\\server\share" is dropped,
  //               and on systems without drives the absolute path is taken with `/`
  //               turned into `\` ("\tmp\src\DATA\A.DBF").
  // A name the reader would refuse (a `..` component, a colon, ...) or one longer than
  // 255 characters fails the run before anything is written; so does a VolumeSize too
  // small for the package's header block and entry records. The package file itself is
  // never packed. Each volume is written beside its file under a temporary name and
  // replaces it only once the package is complete (on a removable drive: once the
  // volume is complete, before the next disk is asked for); a run that fails deletes
  // the volumes not yet in place, so the files they were to replace stay as they were.
  // A package at Offset is written into its file in place.
  bool WritePackage();
  // Fills List with the paths to pack (non-recursive search per Items pattern).
  virtual void BuildList();
  // The name WritePackage stores for the file `path` of List, following PathOption (see
  // WritePackage). A descendant may give the name in the package's text another way
  // (the pck tool converts it to the package's code page); one it raises for fails the
  // run before anything is written.
  virtual std::string StoredName(const std::string& path);

  // ---- published properties ----
  const std::string& Directory() const { return directory_; }
  void SetDirectory(const std::string& value);
  const std::string& PackFileName() const { return packFileName_; }
  void SetPackFileName(const std::string& value);
  const std::string& Password() const { return password_; }
  void SetPassword(const std::string& value);
  TStringList Items, Excludes, List, Header;
  int32_t Offset = 0;
  TPathOption PathOption = TPathOption::poNone;
  // Largest volume file WritePackage produces, in bytes; 0 for a single volume.
  int64_t VolumeSize = 0;
  // WritePackage stores the digest of every member's content and of the directory in
  // header lines (member_digests.h), when it writes a version 2 package; otherwise the
  // package is what the format alone makes it.
  bool WriteDigests = false;
  // Reading checks each restored member against the digest the package carries for it,
  // and the directory once it has been read. A member that does not match is not put in
  // place; the run goes on with the next one and ends with False.
  bool VerifyDigests = true;
  // The longest target directory and member target path the engine takes, in bytes: the
  // system keeps 255; a host whose paths may be longer (POSIX) may raise it. A member
  // name is limited to 255 whatever this is.
  std::size_t TargetPathMax = platform::kShortStringMax;

  TOnProgress OnProgress;
  TOnPassword OnPassword;
  TNotifyEvent OnPrepared, OnReadHeader, OnWriteHeader;
  TOnList OnList;
  TOnIO OnOpen, OnClose;
  TOnError OnError;
  // A folder made for a member's target, told once it is there (outermost first).
  TOnFolder OnFolderCreated;
  // A member's new content is about to take its target's place (OnPlacing: a handler may
  // keep a copy of what stands there, or raise to keep it from being replaced), and has
  // taken it (OnPlaced); with the content's digest and size.
  TOnPlace OnPlacing, OnPlaced;

  // ---- state visible to callers and descendants ----
  const std::array<char, 5>& Signature() const { return signature_; }
  double Stamp() const { return stamp_; }
  uint16_t Volume() const { return volume_; }
  uint8_t Version() const { return version_; }
  int32_t EntryCount() const { return entryCount_; }
  uint32_t Reserved() const { return reserved_; }
  const std::vector<uint8_t>& RawHeader() const { return rawHeader_; }
  // Makes the next package written a "PCK10" one with this raw header block (when
  // Header is empty); an empty block clears it.
  void SetRawHeader(std::vector<uint8_t> block);
  const std::string& StoredPassword() const { return storedPassword_; }
  TPackMode Mode() const { return mode_; }
  const TEntry& Entry() const { return *entry_; }
  // The failure that ended the last operation with False (none after success): its
  // kind, member, file, reason and message.
  const PackFailure& Failure() const { return failure_; }
  // Its text (empty after success): the message with the reason, after "member NAME: "
  // when a member's failure ended the run.
  std::string LastError() const { return failure_.Text(); }
  // The files port members' targets and the staging file are made through: the one set
  // (SetFiles), or else the one in use (platform::FileSystemPort()).
  platform::FileSystem& Files() const { return files_ ? *files_ : platform::FileSystemPort(); }
  // Sets it; null goes back to the one in use. It must outlive the operations it serves.
  void SetFiles(platform::FileSystem* files) { files_ = files; }
  // The digests of the package read last (ReadHeader).
  const TPackageDigests& Digests() const { return digests_; }
  // The package written last has too many members for member digest lines.
  bool DigestsOmitted() const { return digestsOmitted_; }

 protected:
  // ---- overridable operations ----
  virtual bool IsSelected();
  // Reading: a descendant may take the rest of a member whose stored bytes have all been
  // copied (true) and finish it later through CloseMember, in the package's order; false
  // (here): CloseTarget finishes it at once.
  virtual bool HandOver(const std::string& /*fileName*/) { return false; }
  // Reading: finishes the members handed over whose work is done, in order; `all`: every
  // one, waiting for those still at work.
  virtual void FinishHandedOver(bool /*all*/) {}
  // After a failure that ends the run: what is still in flight (members handed over,
  // sources prepared ahead) is waited for and dropped, with the files it made.
  virtual void DropInFlight() noexcept {}
  // Writing: the sources about to be packed, in order, with their sizes, before the first
  // is opened.
  virtual void PlanSources(const std::vector<std::string>& /*paths*/,
                           const std::vector<int64_t>& /*sizes*/) {}
  // Exchanges the engine's member with `other` (and, in a descendant, what it keeps of it).
  virtual void SwapMember(MemberInFlight& other);
  virtual void OpenPackRead();
  virtual void OpenPackWrite();
  virtual void ClosePack();
  virtual void OpenSource(const std::string& FileName);
  virtual void CloseSource();
  virtual void OpenTarget(const std::string& FileName);
  virtual void CloseTarget(const std::string& FileName);
  // Moves to the next volume: on a removable drive asks for the next disk; elsewhere
  // fails. Descendants may find volumes elsewhere (the pck tool's disk folders). When
  // writing, the volumes written so far are put in place first (CommitVolumes), as the
  // disk that holds them is about to be taken out.
  virtual bool NextVolume();

  // ---- failures ----
  // The one place the failure state is written. `failure` becomes the run's (an empty
  // record clears it); the first of a member that lets the run go on is kept apart as
  // well, and ends the run when it is over. `newRun` forgets that one too.
  void SetFailure(PackFailure failure, bool newRun = false);
  // The record of a failure: its kind, the file it names and which file that is
  // (FileRole), the reason and the message; no member.
  PackFailure FailureOf(const std::exception& e) const;
  // Which of the engine's files `path` is.
  virtual FailedFile FileRole(const std::string& path) const;
  // The file a member's bytes are written to while they are copied out of the package:
  // the new content (here) or the staging file (the compressed engine).
  virtual std::string MemberFilePath() const;

  // ---- pieces for descendants and writers ----
  // Hands the engine's member over to `slot` (SwapMember) while the engine keeps knowing
  // the entry just read: its record and position stay as they are.
  void HandMemberTo(MemberInFlight& slot);
  // Finishes the member in the engine (one handed over is swapped in first): CloseTarget,
  // OnClose, and its failure taken as ExtractMember takes it (OnError; a failure that ends
  // the run raises EPackFailed).
  void CloseMember(std::string& target);
  // The position of the current entry, counted from 1.
  int32_t Position() const { return position_; }
  // `file`, with what passes through it tallied in `tally` (reset first).
  static std::unique_ptr<platform::File> Tallied(std::unique_ptr<platform::File> file,
                                                 StreamTally& tally);
  // The tally of the source being packed is `tally`'s (a source read elsewhere, ahead);
  // `tally` gets the engine's.
  void AdoptSourceTally(std::unique_ptr<StreamTally>& tally) { sourceTally_.swap(tally); }
  // OpenVolume, CreateVolume and NextVolume answer False for a failure, recorded as the
  // run's cause (LastError); EnterVolume, ReadData and SkipData raise it.
  bool OpenVolume();
  void EnterVolume();
  bool CreateVolume();
  bool IsSameVolume();
  void ReadHeader();
  void WriteHeader();
  bool ReadNextEntry();
  void SkipData(int64_t N);
  void ReadData(uint8_t* Buf, int32_t N);
  void WriteTarget(const uint8_t* Buf, int32_t N);
  bool ReportProgress();
  void DoPrepared();
  void ClearHeaderData();
  void ResetState();
  void SetVolume(uint16_t value) { volume_ = value; }
  // Writing: every volume is written under a temporary name beside its own. CommitVolumes
  // renames the finished ones over their real names, in order; DiscardVolumes deletes
  // those not yet renamed (a failed run).
  void CommitVolumes();
  void DiscardVolumes();
  // Prepares a member's new content (also the driver's output when a descendant
  // restores into it): a new file beside the target, below Directory when the target
  // lies there, so that no link below Directory is ever followed; a target OnOpen moved
  // elsewhere is prepared in its own directory. The directories down to that root are
  // created first. The target is replaced only by PlaceTarget; until then an interrupted
  // or failed member removes the new file and leaves the target as it was. Raises
  // EInOutError naming the target with the reason when it cannot be made; a target
  // without a directory part raises "Unable to create directory".
  void PrepareTarget(const std::string& FileName, platform::Access access);
  // The new content's file, taken from the replacement; what is written to it goes to
  // the member's content hash too.
  std::unique_ptr<platform::File> TakeTargetFile();
  // Checks the member's content against the package's digest for it, when there is
  // one; EPackDigest names the difference.
  void VerifyContent();
  // The digest of the member's content restored so far into the new file.
  platform::TDigest128 ContentDigest();
  // Gives the new content the entry's time and attributes and puts it in the target's
  // place; raises naming the target and the reason (a read-only file there: "the
  // existing file is read-only").
  void PlaceTarget(const std::string& FileName);
  // The member's new content while it is being restored.
  std::unique_ptr<platform::Replacement> Target;
  // A member's source, read from start to end, with its digest taken on the way.
  std::unique_ptr<platform::File> SourceFile(std::unique_ptr<platform::File> file);
  // Whether the first volume stays within reach until the package is written, so that
  // digests learnt while writing can be filled into its header lines; false where the
  // disk that holds it is taken out before the next is written.
  virtual bool FirstVolumeStaysAtHand() const { return VolumeSize <= 0; }

  std::unique_ptr<platform::File> PackFile;
  std::unique_ptr<platform::File> MemberFile;
  std::unique_ptr<TEntry> entry_;
  std::array<uint8_t, kBufferSize> Buffer{};

 private:
  // Extracts the current entry; a failure is told to OnError with the target and raised.
  void ExtractMember();
  // Called inside a catch for the member's failure `e`: members handed over before it are
  // finished first; then it is recorded, OnError told, and EPackFailed raised.
  [[noreturn]] void MemberFailed(const std::exception& e, std::string& target, bool opened);
  // The members handed over before a failure, finished; a failure of theirs is theirs.
  void FinishEarlier() noexcept;
  // After a failed copy: the target finished as far as it goes, OnClose told.
  void AbandonTarget(std::string& target) noexcept;
  // After a failed write: the member's source closed, a failure of that dropped.
  void AbandonSource() noexcept;

  std::array<char, 5> signature_{};
  double stamp_ = 0;
  uint16_t volume_ = 0;
  uint8_t version_ = 0;
  std::vector<uint8_t> rawHeader_;
  int32_t entryCount_ = 0;
  uint32_t reserved_ = 0;
  std::string directory_, packFileName_, password_, storedPassword_;
  TPackMode mode_ = TPackMode::pmWrite;
  platform::FileSystem* files_ = nullptr;
  // The run's failure, and the first failure of a member that let it go on.
  PackFailure failure_, memberFailure_;
  // The member target being made, and the source being packed (FileRole).
  std::string target_, source_;

  // Called inside a catch: the record of what was caught (an EPackFailed's own).
  PackFailure CaughtFailure() const noexcept;
  // Runs `step`: true when it succeeded; a failure closes the package file, is recorded
  // and answers False. The Boolean steps are built on it.
  bool Recorded(const std::function<void()>& step) noexcept;
  // A volume that NextVolume could not give: its failure, recorded, travels up.
  [[noreturn]] void VolumeFailed() const;
  // Writing: a volume CreateVolume or NextVolume could not make, likewise.
  [[noreturn]] void VolumeNotCreated() const;
  // WritePackage without its catch.
  void WriteBody();
  // Copies `count` bytes from MemberFile to PackFile through Buffer.
  void CopyToPack(int64_t count);
  // Refuses the current entry before anything is opened for it when its name or its
  // target path cannot be extracted: OnError, the failure noted. True when refused.
  bool RefuseMember();
  // Digests: those of the package being read, the hash of the member being restored and
  // whether it saw the content from start to end, the position of the current entry, the
  // hash of the directory read so far.
  TPackageDigests digests_;
  platform::TContentHash directoryHash_;
  std::unique_ptr<StreamTally> content_ = std::make_unique<StreamTally>(),
                               sourceTally_ = std::make_unique<StreamTally>();
  int32_t position_ = 0, entriesRead_ = 0;
  bool digestsOmitted_ = false;
  // Writing: where the digests still to come lie in the first volume (by member position,
  // 0 for the directory), and that volume's file while it is not yet in place; filled in
  // once the last entry is written.
  std::map<int32_t, int64_t> digestsAt_;
  std::string firstVolumeTemp_;
  void FillDigests(const std::map<int32_t, platform::TDigest128>& digests);
  // Puts digest lines for `count` members in Header (in place of any digest lines it
  // held): with the digests given, in order, or placeholders for those to come.
  void AddDigestLines(std::size_t count, const std::vector<platform::TDigest128>& digests);
  // The digest of what the last source read through SourceFile held.
  platform::TDigest128 SourceDigest(const std::string& path);
  // Reading: the directory read against its digest.
  void VerifyDirectory();
  // A member whose content did not match: told to OnError, noted, and the run goes on.
  void SetMemberBack(const platform::Exception& e, std::string& target);
  // Volumes written under a temporary name beside their own, in order, waiting to be
  // put in place.
  struct PendingVolume {
    std::string temp, path;
    platform::RemoveOnInterrupt guard;
  };
  std::vector<PendingVolume> pending_;
  // A new file beside `path` under a name of its own; `temp` receives that name.
  static std::unique_ptr<platform::File> CreateBeside(const std::string& path, std::string& temp);
  // The header block of `version` as WriteHeader writes it (the one place its size is
  // worked out); raises for one that cannot be written.
  std::vector<uint8_t> HeaderBlock(uint8_t version) const;
  // The version the next package written gets: 1 with a raw header and no Header lines.
  uint8_t NextVersion() const;
};

}  // namespace pack
