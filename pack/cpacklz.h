// TCustomPackLz: the package engine with every member stored compressed. Each member
// passes through one temporary staging file (prefix "PCK", in a private directory of
// its own, created when the engine is constructed): written packages take the
// compressed form of each source file; read packages have each member's stored bytes
// copied into the staging file, which the compressed-file driver then restores to the
// real target.
// The staging file is made through the files port Files(), as members' targets are; so
// is what the compressed-file driver opens.
// TPackLz is the component the installer and the pck tool create.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "compress/compress_mode.h"
#include "pack/cpack.h"
#include "platform/interrupt.h"

namespace compress {
class Tlzrw1;
}

namespace pack {

using TOnFileProgress =
    std::function<void(platform::TObject* Sender, int32_t InSize, int32_t OutSize)>;

class TCustomPackLz : public TCustomPack {
 public:
  explicit TCustomPackLz(platform::TComponent* AOwner);
  ~TCustomPackLz() override;

  compress::TCompressMode CompressMode = compress::TCompressMode::Good;
  TOnFileProgress OnFileProgress;
  // False: reading stops at each member's stored form, copied into the staging file;
  // nothing is restored and no target is made (a listing that looks only at the
  // compressed files' headers).
  bool RestoreMembers = true;

  // Full path of the staging file, fixed for the engine's lifetime, and of the private
  // directory that holds it.
  const std::string& TempFile() const { return tempFile_; }
  const std::string& StagingDirectory() const { return stagingDir_; }

  void CompressFile(const std::string& Source, const std::string& Dest);
  void DecompressFile(const std::string& Source, const std::string& Dest);

  // Removes the staging directories (with their staging files) that engines of runs
  // killed before they could clean up left in the temporary-files directory; never one
  // that a live process holds, nor another user's. Answers how many went.
  static int RemoveAbandonedStaging();

 protected:
  void OpenSource(const std::string& FileName) override;
  void CloseSource() override;
  void OpenTarget(const std::string& FileName) override;
  void CloseTarget(const std::string& FileName) override;
  // The staging file, and whatever lies in its directory, is the staging file.
  FailedFile FileRole(const std::string& path) const override;
  std::string MemberFilePath() const override;

 private:
  void RelayProgress();
  void MakeStagingFile();
  void RemoveStagingFile();
  // The staging file made anew (exclusively, owner only); null when it cannot be.
  std::unique_ptr<platform::File> CreateStaging(platform::Access access);
  // DecompressFile; for a member the target is created as the engine's member targets
  // are (PrepareTarget).
  void Restore(const std::string& Source, const std::string& Dest, bool member);

  std::string tempFile_, stagingDir_;
  platform::RemoveOnInterrupt fileGuard_, dirGuard_;
  std::unique_ptr<compress::Tlzrw1> driver_;
};

class TPackLz : public TCustomPackLz {
 public:
  using TCustomPackLz::TCustomPackLz;
};

}  // namespace pack
