// The install engine's tests: an engine and its items with every platform service
// replaced by a double (scripted message boxes, an in-memory registry, a recording
// Program Manager, fixed system folders).
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "install/install.h"
#include "install/install_item.h"
#include "platform/component.h"
#include "support/memory_registry.h"
#include "support/recording_shell.h"
#include "support/scripted_dialogs.h"

namespace installtest {

using testing_support::FixedFolders;
using testing_support::MemoryRegistry;
using testing_support::RecordingProgMan;
using testing_support::ScriptedDialogs;

class EngineTest : public ::testing::Test {
 protected:
  ScriptedDialogs dialogs_;
  MemoryRegistry registry_;
  RecordingProgMan progman_;
  FixedFolders folders_{"X:\\DISK1\\INSTALL.EXE", "C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM"};
  // Stands for the window that owns the engine and the items.
  platform::TComponent window_{nullptr};

  EngineTest() {
    // A run that keeps asking would never end: fail the test instead.
    dialogs_.onShow = [this](const ScriptedDialogs::Shown&) {
      if (dialogs_.shown.size() > 50) throw std::runtime_error("more than 50 message boxes");
    };
  }

  // The engine, made on first use so that a test can prepare the registry first.
  install::TInstall& Engine() {
    if (!engine_) engine_ = std::make_unique<install::TInstall>(&window_);
    return *engine_;
  }
  void DestroyEngine() { engine_.reset(); }

  // A new item owned by the window, registered with the engine.
  install::TInstallItem& AddItem(const std::string& title = "") {
    auto& item = platform::TComponent::CreateOwned<install::TInstallItem>(window_);
    item.Title = title;
    Engine().AddItem(item);
    return item;
  }

  // The texts of the message boxes shown so far.
  std::vector<std::string> Texts() const {
    std::vector<std::string> out;
    for (const auto& s : dialogs_.shown) out.push_back(s.text);
    return out;
  }

 private:
  std::unique_ptr<install::TInstall> engine_;
};

}  // namespace installtest
