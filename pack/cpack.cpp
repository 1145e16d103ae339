// TCustomPack: construction, properties, the Process run and its shared pieces.
#include "pack/cpack.h"

#include "compress/lzrw1.h"
#include "pack/lfiles.h"
#include "pack/pack_io.h"
#include "pack/pack_messages.h"
#include "platform/files.h"
#include "platform/interrupt.h"
#include "platform/shortstring.h"
#include "platform/system.h"

namespace pack {
namespace {

// floor(part * 100 / whole) for 0 <= part, 0 < whole, without overflow for any size:
// the product is formed in 128 bits and divided bit by bit.
int32_t PercentOf(int64_t part, int64_t whole) {
  if (whole <= 0 || part <= 0) return 0;
  const uint64_t p = static_cast<uint64_t>(part), w = static_cast<uint64_t>(whole);
  const uint64_t lo32 = (p & 0xFFFFFFFFu) * 100u;
  const uint64_t hi32 = (p >> 32) * 100u;
  const uint64_t lo = lo32 + (hi32 << 32);
  const uint64_t hi = (hi32 >> 32) + (lo < lo32 ? 1 : 0);
  uint64_t rem = 0, quotient = 0;
  for (int bit = 127; bit >= 0; --bit) {
    const uint64_t next = bit >= 64 ? (hi >> (bit - 64)) & 1u : (lo >> bit) & 1u;
    rem = (rem << 1) | next;  // rem < w < 2^63, so this cannot overflow
    quotient <<= 1;
    if (rem >= w) {
      rem -= w;
      quotient |= 1u;
    }
  }
  return quotient > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int32_t>(quotient);
}

}  // namespace

// ---- exceptions ------------------------------------------------------------------
EPackFileName::EPackFileName()
    : EPackException(FailureKind::NoPackage, msg::kMissingPackFileName) {}
EPackPassword::EPackPassword() : EPackException(FailureKind::Password, msg::kInvalidPassword) {}
EPackReadError::EPackReadError()
    : EPackException(FailureKind::ReadFailed, msg::kErrorReadingData) {}

std::string PackFailure::Text() const {
  if (Member.empty() || Kind == FailureKind::RefusedName) return Described();
  return msg::Fmt(msg::kMemberFailed, Member, Described());
}

// ---- construction ----------------------------------------------------------------
TCustomPack::TCustomPack(platform::TComponent* AOwner)
    : platform::TComponent(AOwner), entry_(std::make_unique<TEntry>()) {}

TCustomPack::~TCustomPack() {
  ClearHeaderData();
  // Every operation closes its files before it returns; these only matter when a
  // descendant left one open.
  MemberFile.reset();
  PackFile.reset();
}

void TCustomPack::SetDirectory(const std::string& value) {
  directory_ = value.substr(0, TargetPathMax);
}
void TCustomPack::SetPackFileName(const std::string& value) {
  packFileName_ = platform::ShortString(value);
}
void TCustomPack::SetPassword(const std::string& value) {
  password_ = platform::ShortString(value);
}

void TCustomPack::SetRawHeader(std::vector<uint8_t> block) { rawHeader_ = std::move(block); }

// ---- the run -----------------------------------------------------------------------
bool TCustomPack::Extract() { return Process(TPackMode::pmExtract); }

bool TCustomPack::Process(TPackMode Mode) {
  ResetState();
  SetFailure({}, true);
  mode_ = Mode;
  const bool reading = mode_ == TPackMode::pmList || mode_ == TPackMode::pmExtract;
  io::ErrorModeScope errorMode;
  // Every failure of the run ends here, its cause recorded once; the pieces below throw.
  try {
    bool ignored = false;
    if (OnProgress) OnProgress(this, std::string(), 0, ignored);
    EnterVolume();
    if (!ReportProgress()) throw platform::EAbort();
    while (reading && ReadNextEntry()) {
      if (!ReportProgress()) throw platform::EAbort();
      if (mode_ != TPackMode::pmList && IsSelected() && !RefuseMember())
        ExtractMember();
      else
        SkipData(entry_->Size);
      FinishHandedOver(false);
      if (!ReportProgress()) throw platform::EAbort();
    }
    FinishHandedOver(true);
    if (reading) VerifyDirectory();
    // The package was read to its end; the first member that failed ends the run.
    if (memberFailure_.Failed()) throw EPackFailed(memberFailure_);
    if (reading) DoPrepared();
    ignored = false;
    if (OnProgress) OnProgress(this, std::string(), 100, ignored);
    ClosePack();
  } catch (...) {
    PackFile.reset();  // the run's failure is the one reported, not a close error
    PackFailure failure = CaughtFailure();
    // Members handed over before the failure are finished, as they would have been.
    FinishEarlier();
    DropInFlight();
    SetFailure(failure);
    return false;
  }
  SetFailure({});
  return true;
}

void TCustomPack::ResetState() {
  signature_.fill(0);
  stamp_ = 0;
  volume_ = 0;
  List.clear();
  entry_->Clear();
  version_ = 0;
  target_.clear();
  source_.clear();
  digests_ = TPackageDigests();
  directoryHash_.Reset();
  position_ = 0;
  entriesRead_ = 0;
  DiscardVolumes();
}

bool TCustomPack::ReportProgress() {
  bool cancel = false;
  if (OnProgress) {
    int32_t percent = 0;
    if (PackFile) percent = PercentOf(io::PositionOf(*PackFile), io::SizeOf(*PackFile));
    OnProgress(this, entry_->Name, percent, cancel);
  }
  return !cancel;
}

void TCustomPack::DoPrepared() {
  if (OnPrepared) OnPrepared(this);
  entryCount_ = static_cast<int32_t>(List.size());
}

void TCustomPack::ClearHeaderData() {
  rawHeader_.clear();
  rawHeader_.shrink_to_fit();
  Header.clear();
}

bool TCustomPack::IsSelected() {
  const std::string name = CombinePath(directory_, entry_->Name);
  bool selected = Items.empty();
  for (std::size_t i = 0; i < Items.size() && !selected; ++i)
    selected = MatchFileName(CombinePath(directory_, Items[i]), name);
  for (std::size_t i = 0; i < Excludes.size() && selected; ++i)
    selected = !MatchFileName(CombinePath(directory_, Excludes[i]), name);
  return selected;
}

bool TCustomPack::Recorded(const std::function<void()>& step) noexcept {
  try {
    step();
    return true;
  } catch (...) {
    PackFile.reset();
    SetFailure(CaughtFailure());
    return false;
  }
}

void TCustomPack::SetFailure(PackFailure failure, bool newRun) {
  if (newRun) memberFailure_ = PackFailure();
  if (failure.LetsRunGoOn() && !memberFailure_.Failed()) memberFailure_ = failure;
  failure_ = std::move(failure);
}

PackFailure TCustomPack::CaughtFailure() const noexcept {
  try {
    try {
      throw;
    } catch (const EPackFailed& e) {
      return e.Failure();
    } catch (const std::exception& e) {
      return FailureOf(e);
    }
  } catch (...) {
    // Not one of ours (a handler's own exception): the run ends all the same, given up.
  }
  PackFailure failure;
  failure.Kind = FailureKind::Aborted;
  failure.Message.Before = msg::kAborted;
  return failure;
}

PackFailure TCustomPack::FailureOf(const std::exception& e) const {
  PackFailure failure;
  const auto* own = dynamic_cast<const platform::Exception*>(&e);
  if (!own) {
    failure.Kind = FailureKind::Other;
    failure.Message.Before = e.what();
    return failure;
  }
  failure.Message = own->Parts();
  failure.Reason = own->Reason();
  failure.Path = own->Path();
  if (const auto* ours = dynamic_cast<const EPackException*>(own)) {
    failure.Kind = ours->Kind();
  } else if (dynamic_cast<const platform::EAbort*>(own)) {
    failure.Kind =
        platform::InterruptStatus() != 0 ? FailureKind::Interrupted : FailureKind::Aborted;
  } else if (const auto* io = dynamic_cast<const platform::EInOutError*>(own)) {
    using Step = platform::EInOutError::Step;
    const Step step = io->IoStep();
    failure.Kind = step == Step::Open    ? FailureKind::OpenFailed
                   : step == Step::Read  ? FailureKind::ReadFailed
                   : step == Step::Write ? FailureKind::WriteFailed
                                         : FailureKind::Other;
  } else if (dynamic_cast<const compress::ELzrw1Exception*>(own)) {
    failure.Kind = FailureKind::Compressed;
  } else {
    failure.Kind = FailureKind::Other;
  }
  if (!failure.Path.empty()) failure.File = FileRole(failure.Path);
  return failure;
}

FailedFile TCustomPack::FileRole(const std::string& path) const {
  if (path == packFileName_) return FailedFile::Package;
  for (const PendingVolume& volume : pending_)
    if (path == volume.temp || path == volume.path) return FailedFile::Package;
  if (!target_.empty() && (path == target_ || (Target && path == Target->Path())))
    return FailedFile::Target;
  if (!source_.empty() && path == source_) return FailedFile::Source;
  return FailedFile::Other;
}

std::string TCustomPack::MemberFilePath() const { return Target ? Target->Path() : target_; }

void TCustomPack::VolumeFailed() const {
  if (failure_.Failed()) throw EPackFailed(failure_);
  // A descendant's NextVolume that said nothing.
  throw EPackException(FailureKind::VolumeMissing,
                       msg::Fmt(msg::kVolumeUnavailable, static_cast<int>(volume_)));
}

}  // namespace pack
