#include "tools/pck/failure_text.h"

#include "pack/pack_messages.h"
#include "platform/paths.h"
#include "platform/system.h"
#include "tools/pck/pck_messages.h"
#include "tools/pck/shown.h"

namespace pck {
namespace {

using pack::FailedFile;
using pack::FailureKind;
using Names = platform::NamedMessage::Names;

// The name the message holds, as shown; `shownPackage` stands for the first volume.
std::string ShownNamed(const pack::PackFailure& failure, const FailureContext& context,
                       const std::string& firstVolume, const std::string& shownPackage) {
  const platform::NamedMessage& message = failure.Message;
  switch (message.What) {
    case Names::Nothing:
      return {};
    case Names::Member:
      return ShownName(message.Name);
    case Names::Path:
      break;
  }
  // Reading, the staging file holds the member's stored bytes: a failure of it is the
  // member's.
  if (!context.Writing && failure.File == FailedFile::Staging && !failure.Member.empty())
    return ShownName(failure.Member);
  if (!shownPackage.empty() && failure.File == FailedFile::Package && message.Name == firstVolume)
    return shownPackage;
  if (!context.TargetName.empty() &&
      message.Name == platform::CombinePath(context.TargetRoot, context.TargetName))
    return Shown(platform::CombinePath(context.TargetRoot, std::string())) +
           ShownName(context.TargetName);
  return Shown(message.Name);
}

std::string Cause(const pack::PackFailure& failure, const FailureContext& context,
                  const std::string& firstVolume, const std::string& shownPackage) {
  std::string cause = Shown(failure.Message.Before) +
                      ShownNamed(failure, context, firstVolume, shownPackage) +
                      Shown(failure.Message.After);
  if (!failure.Reason.empty()) cause += " (" + Shown(failure.Reason) + ")";
  if (failure.File != FailedFile::Staging) return cause;
  // The staging file (writing), and a member's bytes on their way into it (reading), are
  // in the temporary folder: a full or unwritable one is there for the user to mend.
  const bool filling =
      failure.Kind == FailureKind::WriteFailed || failure.Kind == FailureKind::OpenFailed;
  if (!context.Writing && !filling) return cause;
  if (!context.Writing) cause += msg::kWhileCopiedToStaging;
  return cause + msg::Fmt(msg::kStagingIsIn, Shown(platform::TempFilesPort().Directory()));
}

}  // namespace

std::string ShownCause(const pack::PackFailure& failure, const FailureContext& context) {
  return Cause(failure, context, std::string(), std::string());
}

std::string FailureLine(const std::string& shownName, const ShownFailure& failure) {
  return shownName + ": " + (failure.Member.empty() ? "" : ShownName(failure.Member) + ": ") +
         failure.Cause;
}

std::string RunFailureLine(const std::string& shownName, const std::string& firstVolume,
                           const pack::PackFailure& failure, const FailureContext& context) {
  if (!failure.Failed() || failure.Kind == FailureKind::Aborted ||
      failure.Kind == FailureKind::Interrupted)
    return FailureLine(shownName, {{}, msg::kNotReadable});
  const bool namesPackage = failure.Message.What == Names::Path &&
                            failure.File == FailedFile::Package &&
                            failure.Message.Name == firstVolume;
  std::string cause = Cause(failure, context, firstVolume, shownName);
  // A member's failure that ended the run, told without the member's own line.
  if (!failure.Member.empty() && failure.Kind != FailureKind::RefusedName)
    cause = pack::msg::Fmt(pack::msg::kMemberFailed, ShownName(failure.Member), cause);
  return namesPackage ? cause : FailureLine(shownName, {{}, cause});
}

}  // namespace pck
