#include "support/recording_shell.h"

#include "platform/files.h"

namespace testing_support {

class RecordingProgMan::Conversation : public platform::DdeConversation {
 public:
  explicit Conversation(RecordingProgMan& owner) : owner_(owner) { ++owner_.openConversations; }
  ~Conversation() override { --owner_.openConversations; }
  bool ExecuteAsync(const std::vector<uint8_t>& data) override {
    if (owner_.failExecutes > 0) {
      --owner_.failExecutes;
      return false;
    }
    owner_.executed.push_back(data);
    return true;
  }

 private:
  RecordingProgMan& owner_;
};

std::vector<std::string> RecordingProgMan::Commands() const {
  std::vector<std::string> out;
  for (const auto& data : executed) {
    std::string text(data.begin(), data.end());
    if (!text.empty() && text.back() == '\0') text.pop_back();
    out.push_back(text);
  }
  return out;
}

std::unique_ptr<platform::DdeConversation> RecordingProgMan::Connect(const std::string& service,
                                                                     const std::string& topic) {
  connects.emplace_back(service, topic);
  if (!answering.count({service, topic})) return nullptr;
  return std::make_unique<Conversation>(*this);
}

bool RecordingProgMan::StartMinimised(const std::string& commandLine) {
  started.push_back(commandLine);
  if (!startSucceeds) return false;
  answering.insert(answeringAfterStart.begin(), answeringAfterStart.end());
  return true;
}

bool RecordingProgMan::CreateShortcut(const platform::Shortcut& link, std::string& reason) {
  shortcuts.push_back(link);
  if (!shortcutsFail.empty()) {
    reason = shortcutsFail;
    return false;
  }
  auto file =
      platform::FileSystemPort().Open(link.Path, platform::Access::Write, platform::Share::None,
                                      platform::Disposition::CreateAlways);
  if (!file) {
    reason = platform::FileSystemPort().FailureReason();
    return false;
  }
  file->Write(link.Target.data(), static_cast<int32_t>(link.Target.size()));
  return file->Close();
}

}  // namespace testing_support
