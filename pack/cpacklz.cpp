// The compressed package engine: every member passes through one staging file named
// at construction. Writing compresses a source into it and stores its bytes; reading
// copies a member's stored bytes into it and has the driver restore the real target.
//
// The staging file lives in a directory of its own that only this user may enter
// (made when the engine is constructed, removed with it), is created exclusively and
// never through a link each time it is needed, readable by its owner only, and is
// deleted after every member. An interrupted run removes both; what a run killed
// outright leaves, a later run removes (RemoveAbandonedStaging), as the directory is
// marked as the living process's own.
#include "pack/cpacklz.h"

#include "compress/lzrw1.h"
#include "pack/cpacklz_jobs.h"
#include "pack/lfiles.h"
#include "pack/pack_io.h"
#include "pack/pack_messages.h"
#include "platform/files.h"
#include "platform/shortstring.h"
#include "platform/system.h"

namespace pack {
namespace {

// The longest staging path the engine keeps, as the system's temporary-file service
// gives at most that much.
constexpr std::size_t kStagingPathMax = 256;

}  // namespace

TCustomPackLz::TCustomPackLz(platform::TComponent* AOwner)
    : TCustomPack(AOwner), driver_(std::make_unique<compress::Tlzrw1>(nullptr)) {
  // The driver first: should the staging file fail, nothing is left to undo.
  MakeStagingFile();
}

TCustomPackLz::~TCustomPackLz() {
  pipeline_.reset();  // its workers end, its staging files go
  driver_.reset();
  // A handle left open on the staging file would keep it from being deleted.
  MemberFile.reset();
  RemoveStagingFile();
}

// A new, empty staging file whose name starts with "PCK", in a new private directory
// in the temporary-files directory. The engine cannot work without one, so failing to
// get it is an error; so is a path longer than the engine keeps.
void TCustomPackLz::MakeStagingFile() {
  const platform::InterruptsHeld held;  // made and registered, or neither
  const std::string temp = platform::TempFilesPort().Directory();
  stagingDir_ = temp.empty()
                    ? std::string()
                    : platform::TempFilesPort().CreatePrivateDirectory(temp, kStagingPrefix);
  if (stagingDir_.empty())
    throw EPackException(FailureKind::OpenFailed, platform::Naming(msg::kNoStagingDirectory, temp));
  dirGuard_ = platform::RemoveOnInterrupt(stagingDir_, true);
  tempFile_ = platform::TempFilesPort().CreateUnique(stagingDir_, kStagingPrefix);
  if (tempFile_.empty() || tempFile_.size() > kStagingPathMax) {
    platform::NamedMessage message = tempFile_.empty()
                                         ? platform::Naming(msg::kNoStagingFile, stagingDir_)
                                         : platform::Naming(msg::kStagingPathTooLong, tempFile_);
    RemoveStagingFile();
    throw EPackException(FailureKind::OpenFailed, std::move(message));
  }
  fileGuard_ = platform::RemoveOnInterrupt(tempFile_);
}

void TCustomPackLz::RemoveStagingFile() {
  // Through the port in use, not Files(): a port handed in may be gone with its owner by
  // the time the engine goes. A missing file is fine.
  if (!tempFile_.empty()) platform::FileSystemPort().Delete(tempFile_);
  if (!stagingDir_.empty()) platform::TempFilesPort().RemovePrivateDirectory(stagingDir_);
  fileGuard_.Release();
  dirGuard_.Release();
}

int TCustomPackLz::RemoveAbandonedStaging() {
  const std::string temp = platform::TempFilesPort().Directory();
  return temp.empty() ? 0 : platform::TempFilesPort().RemoveAbandoned(temp, kStagingPrefix);
}

std::unique_ptr<platform::File> TCustomPackLz::CreateStagingAt(const std::string& path,
                                                               platform::Access access) {
  Files().Delete(path);  // what a failed member left
  return Files().Open(path, access, platform::Share::None, platform::Disposition::CreatePrivate);
}

FailedFile TCustomPackLz::FileRole(const std::string& path) const {
  if (path == tempFile_ || (!stagingDir_.empty() && path.rfind(stagingDir_, 0) == 0))
    return FailedFile::Staging;
  return TCustomPack::FileRole(path);
}

std::string TCustomPackLz::MemberFilePath() const { return tempFile_; }

void TCustomPackLz::CompressFile(const std::string& Source, const std::string& Dest) {
  driver_->InputFile = Source;
  driver_->OutputFile = Dest;
  driver_->Files = &Files();
  driver_->CompressMode = CompressMode;
  RelayProgress();
  driver_->CreateOutput = nullptr;
  if (Dest == tempFile_)
    driver_->CreateOutput = [this](const std::string&) {
      return CreateStaging(platform::Access::ReadWrite);
    };
  driver_->Compress();
}

void TCustomPackLz::DecompressFile(const std::string& Source, const std::string& Dest) {
  Restore(Source, Dest, false);
}

void TCustomPackLz::Restore(const std::string& Source, const std::string& Dest, bool member) {
  driver_->InputFile = Source;
  driver_->OutputFile = Dest;
  driver_->Files = &Files();
  RelayProgress();
  driver_->CreateOutput = nullptr;
  if (member) driver_->CreateOutput = [this](const std::string&) { return TakeTargetFile(); };
  driver_->Decompress();
}

// The driver reports to the engine's handler while one is assigned, to nobody otherwise.
void TCustomPackLz::RelayProgress() {
  if (OnFileProgress)
    driver_->OnProgress = [this](platform::TObject* Sender, int32_t InSize, int32_t OutSize) {
      if (OnFileProgress) OnFileProgress(Sender, InSize, OutSize);
    };
  else
    driver_->OnProgress = nullptr;
}

void TCustomPackLz::OpenSource(const std::string& FileName) {
  if (TakePacked(FileName)) return;
  // The source's digest is taken as the driver reads it, and a worker may be reading the
  // same file under another name.
  driver_->ReadInputThrough = [this](std::unique_ptr<platform::File> input) {
    return SourceFile(std::move(input));
  };
  driver_->InputShare = platform::Share::Read;
  struct Unhook {
    compress::Tlzrw1& driver;
    ~Unhook() {
      driver.ReadInputThrough = nullptr;
      driver.InputShare = platform::Share::None;
    }
  } unhook{*driver_};
  CompressFile(FileName, tempFile_);
  MemberFile = io::Open(Files(), tempFile_, platform::Access::Read, platform::Share::Read,
                        platform::Disposition::OpenExisting, msg::kCannotOpen);
}

void TCustomPackLz::CloseSource() {
  if (MemberFile) {
    MemberFile->Close();
    MemberFile.reset();
  }
  Files().Delete(tempFile_);
}

void TCustomPackLz::OpenTarget(const std::string& /*FileName*/) {
  MemberFile = CreateStaging(platform::Access::Write);
  if (!MemberFile)
    throw platform::EInOutError(platform::EInOutError::Step::Open,
                                platform::Naming(msg::kCannotCreate, tempFile_),
                                Files().FailureReason());
}

void TCustomPackLz::CloseTarget(const std::string& FileName) {
  if (finishing_) {
    AwaitRestored();  // restored on a worker: what it came to
  } else {
    if (MemberFile) {
      std::unique_ptr<platform::File> staging = std::move(MemberFile);
      io::CloseFile(*staging, tempFile_);
    }
    if (!RestoreMembers) {
      Files().Delete(tempFile_);
      return;
    }
    // The driver restores into a new file beside the target (below Directory, its
    // directories made, never through a link), which replaces the target only once it is
    // complete and, where the package carries a digest for it, verified.
    PrepareTarget(FileName, platform::Access::ReadWrite);
    Restore(tempFile_, FileName, true);
  }
  VerifyContent();
  PlaceTarget(FileName);
  Files().Delete(tempFile_);
}

}  // namespace pack
