// A dialogs port double: records every message box and answers from a script, and
// counts how often pending window messages were processed. Installed for its lifetime.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/system.h"

namespace testing_support {

class ScriptedDialogs : public platform::Dialogs {
 public:
  struct Shown {
    platform::DialogKind kind;
    std::string caption;
    std::string text;
    platform::Buttons buttons;
  };

  // Answers given in order; when the script runs out, `fallback` is answered.
  void Answer(int id) { answers_.push_back(id); }
  int fallback = platform::kIdCancel;
  // Called with every message box before it is answered (a test may, say, put the
  // next disk's file in place).
  std::function<void(const Shown&)> onShow;

  int Show(platform::DialogKind kind, const std::string& caption, const std::string& text,
           platform::Buttons buttons) override {
    shown.push_back({kind, caption, text, buttons});
    if (onShow) onShow(shown.back());
    if (answers_.empty()) return fallback;
    const int id = answers_.front();
    answers_.pop_front();
    return id;
  }
  void ProcessMessages() override { ++pumped; }

  std::vector<Shown> shown;
  int pumped = 0;

 private:
  std::deque<int> answers_;
  platform::ScopedPort<platform::Dialogs> installed_{*this};
};

}  // namespace testing_support
