#include "e2e/installer_session.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "support/win32_registry.h"

namespace e2e {

namespace {

// The demo medium the build wrote, as a Windows path.
std::string MediumSource() {
  std::string dir = E2E_MEDIUM_DIR;
  if (!dir.empty() && dir[0] == '/') dir = "Z:" + dir;
  for (char& c : dir)
    if (c == '/') c = '\\';
  return dir;
}

}  // namespace

void InstallerSession::SetUp() {
  CleanMachine();
  medium_ = scratch_.Path() + "MEDIUM\\";
  CopyTree(MediumSource(), medium_);
  ASSERT_TRUE(testing_support::PathExists(Disk1() + "Install.exe"));
}

void InstallerSession::TearDown() {
  if (process_ && process_->Running()) process_->Wait(0ms);  // ends it
  process_.reset();
  CleanMachine();
}

void InstallerSession::Launch(const std::string& args) {
  process_ = std::make_unique<Process>(Disk1() + "Install.exe", args);
  pid_ = process_->Id();
  window_ = nullptr;
}

HWND InstallerSession::Start(const std::string& args) {
  Launch(args);
  window_ = WaitForWindow(pid_, "TFrmInstala", 30s);
  if (window_) ::Sleep(200);  // painted
  return window_;
}

void InstallerSession::PressInstall() { Click(Button(kInstall).handle); }

ShownBox InstallerSession::NextBox(std::chrono::milliseconds timeout) {
  return WaitForMessageBox(pid_, timeout);
}

int InstallerSession::Exit() {
  Click(Button(kExit).handle);
  return process_->Wait(30s);
}

int InstallerSession::WaitExit() { return process_->Wait(30s); }

Image InstallerSession::Gauge() const { return GaugeOf(window_); }

testing::AssertionResult InstallerSession::PieShows(const Image& gauge, int percent) {
  if (gauge.empty()) return testing::AssertionFailure() << "no gauge image";
  // The disc: ellipse (1, 1)-(162, 144) of the 163 x 145 gauge.
  const double cx = 81.5, cy = 72.5, rx = 80.5, ry = 71.5;
  const double sweep = 3.6 * percent;
  int checked = 0;
  for (double ring : {0.55, 0.8}) {
    for (int deg = 0; deg < 360; deg += 3) {
      // Points near a boundary of the wedge are left out.
      if (std::abs(deg - sweep) < 4 || deg < 4 || deg > 356) continue;
      const double a = deg * 3.14159265358979 / 180;
      const int x = static_cast<int>(std::lround(cx + ring * rx * std::sin(a)));
      const int y = static_cast<int>(std::lround(cy - ring * ry * std::cos(a)));
      const uint32_t expected = deg < sweep ? kRgbBlue : kRgbWhite;
      const uint32_t seen = gauge.At(x, y);
      if (seen != expected)
        return testing::AssertionFailure()
               << "at " << deg << " degrees (" << x << ", " << y << ") the pie shows " << std::hex
               << seen << " instead of " << expected << " for " << std::dec << percent << "%";
      ++checked;
    }
  }
  return testing::AssertionSuccess() << checked << " points";
}

void InstallerSession::Snapshot(const std::string& name) const {
  const char* dir = std::getenv("INSTALLER_SCREENSHOTS");
  if (!dir || !*dir || !window_) return;
  SavePng(Capture(window_), std::string(dir) + "\\" + name + ".png");
}

bool InstallerSession::SnapshotMidRun(const std::string& name,
                                      std::chrono::milliseconds timeout) const {
  const bool caught =
      WaitUntil([&] { return WaitForMessageBox(pid_, 0ms).found() || PartWay(Gauge()); }, timeout);
  if (!caught || WaitForMessageBox(pid_, 0ms).found()) return false;
  Snapshot(name);
  return true;
}

std::map<std::string, FileInfo> InstallerSession::Expected(
    const std::vector<std::string>& packages) {
  std::map<std::string, FileInfo> all;
  for (const std::string& p : packages) {
    // Each package into a folder of its own, named after it.
    const std::string into = scratch_.Path() + "expect\\" + p.substr(p.find_last_of('\\') + 1);
    const auto files = PackageContents(p, into);
    EXPECT_FALSE(files.empty()) << p;
    all.insert(files.begin(), files.end());
  }
  return all;
}

std::map<std::string, FileInfo> InstallerSession::ExpectedApplicationFiles() {
  return Expected({Disk1() + "HELP.PCK", Disk1() + "BD.PCK", Disk2() + "APP.PCK"});
}

std::map<std::string, FileInfo> InstallerSession::ExpectedEngineFiles() {
  return Expected({Disk1() + "DBAPI.PCK", Disk1() + "LD.PCK", Disk2() + "DBSQL32.PCK"});
}

namespace {

// The files below `dir` against what the packages hold: the same names, bytes and times.
void ExpectFiles(const std::string& dir, const std::map<std::string, FileInfo>& expected) {
  auto found = FilesBelow(dir);
  // The installation's record of itself, beside what the packages hold.
  found.erase("UNINSTAL.DAT");
  found.erase("UNINSTALL.EXE");
  ASSERT_FALSE(expected.empty());
  std::vector<std::string> names, expectedNames;
  for (const auto& [n, f] : found) names.push_back(n);
  for (const auto& [n, f] : expected) expectedNames.push_back(n);
  EXPECT_EQ(names, expectedNames) << dir;
  for (const auto& [name, want] : expected) {
    const auto got = found.find(name);
    if (got == found.end()) continue;
    EXPECT_EQ(got->second.data, want.data) << name;
    EXPECT_EQ(CompareFileTime(&got->second.written, &want.written), 0) << name;
  }
}

}  // namespace

void InstallerSession::ExpectOnlyTheRecord(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& [name, file] : FilesBelow(dir)) names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::string>{"UNINSTAL.DAT", "UNINSTALL.EXE"})) << dir;
}

void InstallerSession::ExpectNothingDamaged(const std::string& dir,
                                            const std::map<std::string, FileInfo>& expected) {
  for (const auto& [name, got] : FilesBelow(dir)) {
    if (name == "UNINSTAL.DAT" || name == "UNINSTALL.EXE") continue;  // the record of it
    const auto want = expected.find(name);
    ASSERT_NE(want, expected.end()) << name << " is not a member";
    EXPECT_EQ(got.data, want->second.data) << name << " is damaged";
  }
}

void InstallerSession::ExpectInstalled(const std::string& appDir, const std::string& engineDir,
                                       std::string group) {
  ExpectFiles(appDir, ExpectedApplicationFiles());
  ExpectFiles(engineDir, ExpectedEngineFiles());

  using testing_support::QueryText;
  const std::string e = "SOFTWARE\\Ondrel\\Database Engine";
  const std::string tabula = e + "\\Settings\\DRIVERS\\TABULA";
  EXPECT_EQ(QueryText(e, "DLLPATH"), engineDir);
  EXPECT_EQ(QueryText(e, "RESOURCE"), "0009");
  EXPECT_EQ(QueryText("SOFTWARE\\Ondrel\\OLW32", "OLAPIPATH"), engineDir);
  EXPECT_EQ(QueryText(tabula + "\\INIT", "VERSION"), "4.0");
  EXPECT_EQ(QueryText(tabula + "\\INIT", "TYPE"), "FILE");
  EXPECT_EQ(QueryText(tabula + "\\INIT", "LANGDRIVER"), "ANSI850");
  EXPECT_EQ(QueryText(tabula + "\\TABLE CREATE", "LEVEL"), "7");
  EXPECT_EQ(QueryText(tabula + "\\TABLE CREATE", "BLOCK SIZE"), "2048");
  EXPECT_EQ(QueryText(tabula + "\\TABLE CREATE", "FILL FACTOR"), "95");
  EXPECT_EQ(QueryText(tabula + "\\TABLE CREATE", "STRICTINTEGRTY"), "TRUE");
  EXPECT_EQ(QueryText(e + "\\Settings\\SYSTEM\\INIT", "LOCAL SHARE"), "TRUE");

  // The shortcuts appear as the shell carries out the commands.
  if (group.empty()) group = ProgramsFolder() + "\\TAVO";
  for (const char* link : {"QEN 2005.lnk", "QEN 2005 Help.lnk", "QEN 2005 Leiame.lnk"})
    EXPECT_TRUE(WaitUntil([&] { return std::filesystem::exists(group + "\\" + link); }, 20s))
        << link;
}

}  // namespace e2e
