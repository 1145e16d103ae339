// The demo's automatic run: starts Install.exe from the medium, presses "Instalar o
// Sistema", answers the message boxes, saves screenshots (the window at start, the
// gauge mid-run, the final message, the finished window, the refusal of a second run)
// and prints what was installed: files, registry values with their types, the uninstall
// entry and the Start Menu group with its shortcuts. A completed run is then uninstalled
// through its entry (question, final message, screenshots) and what is left printed.
//   demo_run run INSTALL_EXE SCREENSHOT_DIR   the automatic run, then the report
//   demo_run report                           only the report (after a run by hand)
// Exit code of a run: the installer's own from the first run (0 when it completed).
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "e2e/automation.h"
#include "e2e/gauge_view.h"
#include "e2e/machine.h"
#include "e2e/screenshot.h"
#include "support/win32_registry.h"

namespace fs = std::filesystem;
using namespace e2e;

namespace {

std::string g_shots;
const std::string kEngineKey = "SOFTWARE\\Ondrel\\Database Engine";
const std::string kUninstallEntry =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QEN2005";

// A message box's text for the log: its carriage returns as line ends.
std::string Printable(std::string text) {
  for (char& c : text)
    if (c == '\r') c = '\n';
  return text;
}

// The screen inside the union of the window's and the box's rectangles.
void Shot(const char* name, HWND window, HWND box = nullptr) {
  RECT r{};
  ::GetWindowRect(window, &r);
  if (box) {
    RECT b{};
    ::GetWindowRect(box, &b);
    ::UnionRect(&r, &r, &b);
  }
  const Image screen = Capture(::GetDesktopWindow());
  const Image part = Crop(screen, r.left, r.top, r.right - r.left, r.bottom - r.top);
  const std::string path = g_shots + "\\" + name + ".png";
  std::printf("screenshot %s: %s\n", name, SavePng(part, path) ? "saved" : "NOT saved");
}

const char* TypeName(DWORD type) {
  switch (type) {
    case REG_SZ:
      return "REG_SZ";
    case REG_DWORD:
      return "REG_DWORD";
    case REG_BINARY:
      return "REG_BINARY";
    default:
      return "other";
  }
}

void PrintInstalled(const std::string& engineDir) {
  for (const std::string& dir : {std::string("C:\\QEN2005"), engineDir}) {
    std::printf("\nfiles under %s:\n", dir.c_str());
    for (const auto& [name, info] : FilesBelow(dir))
      std::printf("  %-28s %8zu bytes%s\n", name.c_str(), info.data.size(),
                  info.readOnly ? ", read-only" : "");
  }
  std::printf("\nregistry (HKEY_LOCAL_MACHINE):\n");
  const std::string& e = kEngineKey;
  const std::string t = e + "\\Settings\\DRIVERS\\TABULA";
  const std::pair<std::string, const char*> values[] = {
      {e, "DLLPATH"},
      {e, "RESOURCE"},
      {"SOFTWARE\\Ondrel\\OLW32", "OLAPIPATH"},
      {t + "\\INIT", "VERSION"},
      {t + "\\INIT", "TYPE"},
      {t + "\\INIT", "LANGDRIVER"},
      {t + "\\TABLE CREATE", "LEVEL"},
      {t + "\\TABLE CREATE", "BLOCK SIZE"},
      {t + "\\TABLE CREATE", "FILL FACTOR"},
      {t + "\\TABLE CREATE", "STRICTINTEGRTY"},
      {e + "\\Settings\\SYSTEM\\INIT", "LOCAL SHARE"}};
  for (const auto& [key, name] : values) {
    const testing_support::RawValue raw = testing_support::QueryRaw(key, name);
    std::printf("  %s\\%s = %s (%s)\n", key.c_str(), name,
                raw.found ? testing_support::QueryText(key, name).c_str() : "<absent>",
                raw.found ? TypeName(raw.type) : "-");
  }
  std::printf("\nuninstall entry HKEY_LOCAL_MACHINE\\%s:\n", kUninstallEntry.c_str());
  for (const char* name : {"DisplayName", "UninstallString", "QuietUninstallString"})
    std::printf("  %s = %s\n", name, testing_support::QueryText(kUninstallEntry, name).c_str());
  const std::string group = ProgramsFolder() + "\\TAVO";
  std::printf("\nStart Menu group %s:\n", group.c_str());
  WaitUntil([&] { return fs::exists(group + "\\QEN 2005 Leiame.lnk"); }, 15s);
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(group, ec))
    std::printf("  %s\n", entry.path().filename().string().c_str());
}

// Removes the installation the way a person does, through its uninstall entry: the
// question answered Yes, the final message shown; then what is left.
void Uninstall(const std::string& engineFolder) {
  const std::string line = testing_support::QueryText(kUninstallEntry, "UninstallString");
  std::printf("\nuninstalling: %s\n", line.c_str());
  auto uninstall = Process::FromCommandLine(line);
  // The question and the window come from the uninstaller's copy in the temporary folder.
  ShownBox question = WaitForMessageBox(0, 60s);
  if (!question.found()) {
    std::printf("the uninstaller asked nothing\n");
    return;
  }
  std::printf("message box: %s\n", Printable(question.text).c_str());
  Shot("6-uninstall-question", question.handle);
  Answer(question, IDYES);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(question.handle, &pid);
  if (ShownBox done = WaitForMessageBox(0, 60s); done.found()) {
    std::printf("message box: %s\n", Printable(done.text).c_str());
    HWND window = WaitForWindow(pid, "TFrmInstala", 1s);
    Shot("7-uninstall-done", window ? window : done.handle, done.handle);
    Answer(done, IDOK);
  }
  std::printf("the uninstaller ended with exit code %d\n", uninstall->Wait(60s));
  std::printf("\nleft after the uninstall:\n");
  for (const std::string& dir : {std::string("C:\\QEN2005"), engineFolder})
    std::printf(
        "  %s: %s\n", dir.c_str(),
        fs::exists(dir) ? (std::to_string(FilesBelow(dir).size()) + " files").c_str() : "gone");
  std::printf("  uninstall entry: %s\n",
              testing_support::QueryRaw(kUninstallEntry, "DisplayName").found ? "present" : "gone");
  std::printf("  engine registry values: %s\n",
              testing_support::QueryRaw(kEngineKey, "DLLPATH").found ? "present" : "gone");
  const std::string group = ProgramsFolder() + "\\TAVO";
  WaitUntil([&] { return !fs::exists(group); }, 15s);
  std::printf("  Start Menu group %s: %s\n", group.c_str(), fs::exists(group) ? "present" : "gone");
}

// The engine folder the installer wrote, or its default one.
std::string EngineFolder() {
  const std::string written =
      testing_support::QueryText("SOFTWARE\\Ondrel\\Database Engine", "DLLPATH");
  return written.empty() || written[0] == '<' ? DefaultEngineFolder() : written;
}

int Run(const std::string& installExe) {
  Process installer(installExe);
  HWND window = WaitForWindow(installer.Id(), "TFrmInstala", 60s);
  if (!window) {
    std::fprintf(stderr, "demo_run: the installer window did not appear\n");
    return 1;
  }
  ::Sleep(500);
  Shot("1-start", window);
  // The engine folder as the window shows it: the second of the two folder fields.
  std::string engineFolder;
  for (const Control& c : Children(window))
    if (c.cls == "Edit") engineFolder = c.text;

  std::printf("pressing \"Instalar o Sistema\"\n");
  Click(ChildByText(window, "&Instalar o Sistema").handle);
  // Catch the gauge part of the way, then answer whatever the installer asks.
  bool midShot = false;
  int full = 0;
  for (;;) {
    ShownBox box = WaitForMessageBox(installer.Id(), 0ms);
    if (!box.found()) {
      // Sampled as often as the screen can be read: a run over a small medium is quick.
      if (!midShot && PartWay(GaugeOf(window))) {
        Shot("2-running", window);
        midShot = true;
      }
      if (!installer.Running()) break;
      ::Sleep(2);
      continue;
    }
    std::printf("message box: %s\n", Printable(box.text).c_str());
    if (box.text == "Installation completed with success" || box.text == "Installation canceled") {
      Shot("3-final-message", window, box.handle);
      Answer(box, IDOK);
      break;
    }
    // A disk prompt or an error: the demo medium has both disks, so give up.
    Answer(box, box.buttons.front() == IDOK ? IDOK : IDABORT);
    if (++full > 20) break;
  }
  if (!midShot) std::printf("screenshot 2-running: the run was too quick to catch mid-way\n");
  WaitUntil(
      [&] { return ::IsWindowEnabled(ChildByText(window, "&Sair da instala\xe7\xe3o").handle); },
      10s);
  Shot("4-finished", window);
  Click(ChildByText(window, "&Sair da instala\xe7\xe3o").handle);
  const int code = installer.Wait(30s);
  std::printf("Install.exe ended with exit code %d\n", code);

  PrintInstalled(engineFolder);

  std::printf("\nstarting Install.exe again on the same machine\n");
  Process again(installExe);
  ShownBox refusal = WaitForMessageBox(again.Id(), 60s);
  if (refusal.found()) {
    std::printf("message box: %s\n", Printable(refusal.text).c_str());
    Shot("5-second-run-refused", refusal.handle);
    Answer(refusal, IDOK);
  }
  std::printf("second Install.exe ended with exit code %d\n", again.Wait(30s));
  if (code == 0) Uninstall(engineFolder);
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "report" && argc == 2) {
    PrintInstalled(EngineFolder());
    return 0;
  }
  if (mode == "run" && argc == 4) {
    g_shots = argv[3];
    fs::create_directories(g_shots);
    return Run(argv[2]);
  }
  std::fprintf(stderr, "usage: demo_run run INSTALL_EXE SCREENSHOT_DIR | demo_run report\n");
  return 2;
}
