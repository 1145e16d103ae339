// The unpacking operation: every member of one package file into a directory.
#include "install/install.h"
#include "install/install_item.h"
#include "install/install_messages.h"
#include "install/install_record.h"
#include "pack/cpacklz.h"
#include "platform/format.h"
#include "platform/shortstring.h"
#include "platform/text.h"

namespace install {

bool TInstallItem::Unpack(TPackClass Kind, const std::string& SourceDir,
                          const std::string& FileName, const std::string& TargetDir) {
  const std::string packName = platform::UpperAscii(JoinPath(SourceDir, FileName));
  const std::string dir = platform::UpperAscii(TargetDir);
  // One package engine for every attempt, owned by the item and released after the
  // outcome has been reported.
  std::unique_ptr<pack::TCustomPack> pack;
  return Operate(
      platform::Fmt(msg::kDecompressing, packName, dir),
      platform::Fmt(msg::kDecompressError, packName, dir), [&]() -> TAttempt {
        pack = Kind(this);
        pack->SetPackFileName(platform::ShortString(packName));
        pack->SetDirectory(platform::ShortString(dir));
        pack->OnProgress = OnUnpack;
        // What lands on the machine goes into the installation's record, inside
        // the attempt: a copy that cannot be kept, or a step that cannot be
        // written, fails the member and with it the attempt.
        if (InstallRecord* record = Record()) {
          pack->OnFolderCreated = [record](platform::TObject*, const std::string& folder) {
            record->FolderMade(folder);
          };
          pack->OnPlacing = [record](platform::TObject*, const std::string& path,
                                     const platform::TDigest128& digest,
                                     int64_t) { record->KeepCopy(path, digest); };
          pack->OnPlaced = [record](platform::TObject*, const std::string& path,
                                    const platform::TDigest128& digest,
                                    int64_t size) { record->FilePlaced(path, digest, size); };
        }
        return [&](std::string& cause) {
          if (pack->Extract()) return true;
          // The package, then the engine's record: the member, the message and the
          // system's reason.
          cause = packName + ": " + pack->Failure().Text();
          return false;
        };
      });
}

bool TInstallItem::UnpackLz(const std::string& SourceDir, const std::string& FileName,
                            const std::string& TargetDir) {
  return Unpack(MakePack<pack::TPackLz>, SourceDir, FileName, TargetDir);
}

}  // namespace install
