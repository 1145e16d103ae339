// A dialogs port double: records every message box and answers from a script, and
// counts how often pending window messages were processed. Installed for its lifetime.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/system.h"

namespace testing_support {

class ScriptedDialogs : public plat::Dialogs {
 public:
  struct Shown {
    plat::DialogKind kind;
    std::string caption;
    std::string text;
    plat::Buttons buttons;
  };

  // Answers given in order; when the script runs out, `fallback` is answered.
  void Answer(int id) { answers_.push_back(id); }
  int fallback = plat::kIdCancel;
  // Called with every message box before it is answered (a test may, say, put the
  // next disk's file in place).
  std::function<void(const Shown&)> onShow;

  int Show(plat::DialogKind kind, const std::string& caption, const std::string& text,
           plat::Buttons buttons) override {
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
  plat::ScopedPort<plat::Dialogs> installed_{*this};
};

}  // namespace testing_support
