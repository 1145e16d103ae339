// The unpacking operation: every member of one package file into a directory.
#include "install/install.h"
#include "install/install_item.h"
#include "install/install_messages.h"
#include "pack/cpacklz.h"
#include "platform/format.h"
#include "platform/shortstring.h"
#include "platform/text.h"

namespace inst {

bool TInstallItem::Unpack(TPackClass Kind, const std::string& SourceDir,
                          const std::string& FileName, const std::string& TargetDir) {
  const std::string packName = sys::UpperAscii(JoinPath(SourceDir, FileName));
  const std::string dir = sys::UpperAscii(TargetDir);
  // One package engine for every attempt, owned by the item and released after the
  // outcome has been reported.
  std::unique_ptr<pck::TCustomPack> pack;
  return Operate(sys::Fmt(msg::kDecompressing, packName, dir),
                 sys::Fmt(msg::kDecompressError, packName, dir), [&]() -> TAttempt {
                   pack = Kind(this);
                   pack->SetPackFileName(sys::ShortString(packName));
                   pack->SetDirectory(sys::ShortString(dir));
                   pack->OnProgress = OnUnpack;
                   return [&](std::string& cause) {
                     if (pack->Extract()) return true;
                     cause = packName + ": " + pack->LastError();
                     return false;
                   };
                 });
}

bool TInstallItem::UnpackLz(const std::string& SourceDir, const std::string& FileName,
                            const std::string& TargetDir) {
  return Unpack(MakePack<pck::TPackLz>, SourceDir, FileName, TargetDir);
}

}  // namespace inst
