#include "install/install_record.h"

#include "install/install_messages.h"
#include "install/run_observer.h"
#include "platform/format.h"
#include "platform/text.h"

namespace install {

bool PathBelow(const std::string& path, const std::string& folder, std::string& relative) {
  if (folder.empty()) return false;
  std::string base = folder;
  if (!platform::IsSeparator(base.back())) base += '\\';
  if (path.size() <= base.size() || !platform::SameFolded(path.substr(0, base.size()), base))
    return false;
  relative = path.substr(base.size());
  return true;
}

InstallRecord::InstallRecord(std::string target, std::string dbapi, TRunObserver& observer)
    : target_(std::move(target)), dbapi_(std::move(dbapi)), observer_(observer) {}

InstallRecord::~InstallRecord() = default;

void InstallRecord::Note(const std::string& text) const { observer_.Noted(text); }

void InstallRecord::Open(const std::string& path) {
  if (writer_) return;
  auto writer = std::make_unique<RecordWriter>(path);
  while (!waiting_.empty()) {
    writer->Add(waiting_.front());
    waiting_.erase(waiting_.begin());
  }
  // The engine's folder of this run: where the files, copies and shared counts the record
  // names may lie (record_scope.h).
  if (!dbapi_.empty()) writer->Add(EngineStep{dbapi_});
  writer_ = std::move(writer);
  Note(platform::Fmt(msg::kNoteRecord, path));
  Protect(path, platform::AccessRule::UsersReadExecute);
}

void InstallRecord::Add(const RecordStep& step) {
  if (writer_)
    writer_->Add(step);
  else
    waiting_.push_back(step);
}

}  // namespace install
