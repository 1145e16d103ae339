#include "tools/pck/unix_pack.h"

#include "platform/files.h"
#include "platform/shortstring.h"
#include "platform/system.h"
#include "tools/pck/pck_messages.h"
#include "tools/pck/unix_meta.h"

namespace pck {

UnixPacking::~UnixPacking() {
  for (const FoundEntry& file : staged_) platform::FileSystemPort().Delete(file.Path);
  if (!folder_.empty()) platform::TempFilesPort().RemovePrivateDirectory(folder_);
  for (platform::RemoveOnInterrupt& guard : fileGuards_) guard.Release();
  folderGuard_.Release();
}

bool UnixPacking::StageLinks(const std::vector<FoundEntry>& links, ShownFailure& failure) {
  if (links.empty()) return true;
  platform::TempFiles& temp = platform::TempFilesPort();
  if (folder_.empty()) {
    const platform::InterruptsHeld held;  // made and registered, or neither
    const std::string root = temp.Directory();
    folder_ = root.empty() ? std::string() : temp.CreatePrivateDirectory(root, "PCK");
    if (folder_.empty()) {
      failure = {links.front().Path, msg::kNoLinkStaging};
      return false;
    }
    folderGuard_ = platform::RemoveOnInterrupt(folder_, true);
  }
  platform::FileSystem& files = platform::FileSystemPort();
  for (const FoundEntry& link : links) {
    const std::optional<std::string> target = LinkTarget(link.Path);
    std::string file;
    {
      const platform::InterruptsHeld held;
      file = temp.CreateUnique(folder_, "PCK");
      if (!file.empty()) {
        fileGuards_.emplace_back(file);
        staged_.push_back({file, link.Stored});
        of_[file] = link.Path;
      }
    }
    auto out = file.empty() ? nullptr
                            : files.Open(file, platform::Access::Write, platform::Share::None,
                                         platform::Disposition::CreateAlways);
    const int32_t size = target ? static_cast<int32_t>(target->size()) : 0;
    if (!target || !out || out->Write(target->data(), size) != size || !out->Close()) {
      failure = {link.Path, msg::Fmt(msg::kLinkNotStaged, files.FailureReason())};
      return false;
    }
    out.reset();
    // The entry's own time is the link's.
    if (const std::optional<UnixMeta> meta = UnixMetaOf(link.Path, false)) {
      UnixMeta time = *meta;
      time.Link = false;
      std::string reason;
      time.Mode = 0600;
      RestoreUnixMeta(file, time, reason);
    }
  }
  return true;
}

std::vector<std::string> UnixPacking::Lines(const std::vector<std::string>& list,
                                            const std::vector<FoundEntry>& empty,
                                            const std::vector<FoundEntry>& folders,
                                            std::vector<ShownFailure>& left) const {
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const auto link = of_.find(list[i]);
    // A file packed for a link stands for the link; any other file for what it holds.
    const std::optional<UnixMeta> meta =
        link == of_.end() ? UnixMetaOf(list[i], true) : UnixMetaOf(link->second, false);
    if (meta) lines.push_back(MemberUnixLine(static_cast<int32_t>(i + 1), *meta));
  }
  for (const auto* kind : {&empty, &folders})
    for (const FoundEntry& folder : *kind) {
      const std::optional<UnixMeta> meta = UnixMetaOf(folder.Path, true);
      const std::string line = meta ? FolderUnixLine({folder.Stored, *meta}) : std::string();
      if (meta && line.size() <= platform::kShortStringMax)
        lines.push_back(line);
      else if (kind == &empty)  // one that holds members is made for them anyway
        left.push_back({folder.Path, meta ? msg::kFolderNameTooLong : msg::kEmptyFolder});
    }
  return lines;
}

}  // namespace pck
