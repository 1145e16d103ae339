// The compressed package engine: every member passes through one staging file named
// at construction. Writing compresses a source into it and stores its bytes; reading
// copies a member's stored bytes into it and has the driver restore the real target.
#include "pack/cpacklz.h"

#include "compress/lzrw1.h"
#include "pack/lfiles.h"
#include "platform/files.h"
#include "platform/system.h"

namespace pck {
namespace {

// A new, empty staging file in the temporary-files directory, its name starting with
// "PCK". The engine cannot work without one, so failing to get it is an error.
std::string NewTempFileName() {
  const std::string dir = plat::Temp().Directory();
  std::string name = dir.empty() ? std::string() : plat::Temp().CreateUnique(dir, "PCK");
  if (name.empty())
    throw EPackException("Cannot create a staging file in the temporary directory \"" + dir + "\"");
  if (name.size() > 256) name.resize(256);
  return name;
}

}  // namespace

TCustomPackLz::TCustomPackLz(sys::TComponent* AOwner) : TCustomPack(AOwner) {
  tempFile_ = NewTempFileName();
  try {
    driver_ = std::make_unique<lz::Tlzrw1>(nullptr);
  } catch (...) {
    plat::Files().Delete(tempFile_);
    throw;
  }
}

TCustomPackLz::~TCustomPackLz() {
  driver_.reset();
  // A handle left open on the staging file would keep it from being deleted.
  MemberFile.reset();
  plat::Files().Delete(tempFile_);  // a missing file is fine
}

void TCustomPackLz::CompressFile(const std::string& Source, const std::string& Dest) {
  driver_->InputFile = Source;
  driver_->OutputFile = Dest;
  driver_->CompressMode = CompressMode;
  RelayProgress();
  driver_->Compress();
}

void TCustomPackLz::DecompressFile(const std::string& Source, const std::string& Dest) {
  driver_->InputFile = Source;
  driver_->OutputFile = Dest;
  RelayProgress();
  driver_->Decompress();
}

// The driver reports to the engine's handler while one is assigned, to nobody otherwise.
void TCustomPackLz::RelayProgress() {
  if (OnFileProgress)
    driver_->OnProgress = [this](sys::TObject* Sender, int32_t InSize, int32_t OutSize) {
      if (OnFileProgress) OnFileProgress(Sender, InSize, OutSize);
    };
  else
    driver_->OnProgress = nullptr;
}

void TCustomPackLz::OpenSource(const std::string& FileName) {
  CompressFile(FileName, tempFile_);
  MemberFile = plat::Files().Open(tempFile_, plat::Access::Read, plat::Share::Read,
                                  plat::Disposition::OpenExisting);
  if (!MemberFile) throw sys::EInOutError("Cannot open " + tempFile_);
}

void TCustomPackLz::CloseSource() {
  if (MemberFile) {
    MemberFile->Close();
    MemberFile.reset();
  }
  plat::Files().Delete(tempFile_);
}

void TCustomPackLz::OpenTarget(const std::string& /*FileName*/) {
  MemberFile = plat::Files().Open(tempFile_, plat::Access::Write, plat::Share::None,
                                  plat::Disposition::CreateAlways);
  if (!MemberFile) throw sys::EInOutError("Cannot create " + tempFile_);
}

void TCustomPackLz::CloseTarget(const std::string& FileName) {
  if (MemberFile) {
    const bool closed = MemberFile->Close();
    MemberFile.reset();
    if (!closed) throw sys::EInOutError("Cannot close " + tempFile_);
  }
  // A directory that cannot be made shows up as the driver failing to create the target.
  CreateDirectories(ExtractFilePath(FileName));
  DecompressFile(tempFile_, FileName);
  SetFileDateAttr(FileName, Entry().Time, Entry().Attr);
  plat::Files().Delete(tempFile_);
}

}  // namespace pck
