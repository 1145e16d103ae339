// TCustomPackLz: the package engine with every member stored compressed. Each member
// passes through one temporary staging file (prefix "PCK", in a private directory of
// its own, created when the engine is constructed): written packages take the
// compressed form of each source file; read packages have each member's stored bytes
// copied into the staging file, which the compressed-file driver then restores to the
// real target.
// The staging file is made through the files port Files(), as members' targets are; so
// is what the compressed-file driver opens.
// TPackLz is the component the installer and the pck tool create.
//
// Jobs above 1 (the pck tool's choice; the installer keeps the default, 1) compresses and
// restores members on that many worker threads while the package is still written and
// read in order on the calling thread (cpacklz_jobs.cpp): the package's bytes, the files
// restored, the failures and the order in which everything is reported are those of one
// thread. At most Jobs + 4 members are in flight at a time, each with its own staging
// file and compressed-file driver.
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
  // Worker threads members are compressed and restored on; 1: none, all on the calling
  // thread. Set before a run.
  int Jobs = 1;
  // The most members in flight at a time with Jobs workers.
  static int InFlightFor(int jobs) { return jobs + 4; }
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
  // Workers (Jobs above 1): restoring and packing ahead.
  bool HandOver(const std::string& fileName) override;
  void FinishHandedOver(bool all) override;
  void DropInFlight() noexcept override;
  void PlanSources(const std::vector<std::string>& paths,
                   const std::vector<int64_t>& sizes) override;
  void SwapMember(MemberInFlight& other) override;
  // The files port the workers' drivers open their inputs (staging files, sources)
  // through: one that may be used from several threads at once. Files() here.
  virtual platform::FileSystem& WorkerFiles() { return Files(); }

 private:
  struct Slot;
  class Pipeline;
  void RelayProgress();
  void MakeStagingFile();
  void RemoveStagingFile();
  // The staging file made anew (exclusively, owner only); null when it cannot be.
  std::unique_ptr<platform::File> CreateStaging(platform::Access access) {
    return CreateStagingAt(tempFile_, access);
  }
  std::unique_ptr<platform::File> CreateStagingAt(const std::string& path, platform::Access access);
  // Reading: the member being finished was restored on a worker; this is its slot.
  Slot* finishing_ = nullptr;
  // Writing: the source being opened was packed ahead into a slot; true when it was, and
  // MemberFile holds its compressed form.
  bool TakePacked(const std::string& fileName);
  Pipeline& Workers();
  // Reading: the member being finished, restored on a worker: its failure raised, if any.
  void AwaitRestored();
  // A slot not in flight (reading: the oldest member in flight is finished when every
  // slot is), or a new one while there are fewer than InFlightFor(Jobs).
  Slot& FreeSlot();
  // Reading: finishes the member of `slot`, swapped into the engine for it.
  void FinishSlot(Slot& slot);
  // Reading: with the member of `slot` in the engine, makes its new content as
  // CloseTarget makes it (and, `restoreHere`, restores it on this thread); a failure
  // becomes the slot's.
  void PrepareInEngine(Slot& slot, bool restoreHere);
  // Reading: prepares the new content of the member of `slot` here and starts restoring
  // it on a worker.
  void StartRestore(Slot& slot);
  // Reading: the member of `slot` failed on a worker while others were in flight beside
  // it; it is restored again here, alone, as one thread would have (a disk the members
  // beside it filled is not its failure). The members after it start anew.
  void RestoreAlone(Slot& slot);
  // Writing: starts packing the next planned sources while slots are free.
  void PackAhead();

  // The name prefix of the staging directory and of the staging files.
  static constexpr const char* kStagingPrefix = "PCK";
  // DecompressFile; for a member the target is created as the engine's member targets
  // are (PrepareTarget).
  void Restore(const std::string& Source, const std::string& Dest, bool member);

  std::string tempFile_, stagingDir_;
  platform::RemoveOnInterrupt fileGuard_, dirGuard_;
  std::unique_ptr<compress::Tlzrw1> driver_;
  std::unique_ptr<Pipeline> pipeline_;  // cpacklz_jobs.h
};

class TPackLz : public TCustomPackLz {
 public:
  using TCustomPackLz::TCustomPackLz;
};

}  // namespace pack
