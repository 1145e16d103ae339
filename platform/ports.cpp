// The current adapter of every port: the platform's own unless a test substituted one.
#include <chrono>
#include <ctime>

#include "platform/files.h"
#include "platform/interrupt.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/system.h"

namespace plat {

// Platform adapters, defined in platform/win32 or platform/posix.
Drives& NativeDrives();
TempFiles& NativeTemp();
ErrorMode& NativeErrorMode();
Dialogs& NativeDialogs();
Registry& NativeRegistry();
DdeClient& NativeDde();
Shell& NativeShell();
SystemFolders& NativeFolders();
Console& NativeConsole();

namespace {
FileSystem* g_files = nullptr;
Drives* g_drives = nullptr;
TempFiles* g_temp = nullptr;
ErrorMode* g_errorMode = nullptr;
Dialogs* g_dialogs = nullptr;
Registry* g_registry = nullptr;
DdeClient* g_dde = nullptr;
Shell* g_shell = nullptr;
SystemFolders* g_folders = nullptr;
Console* g_console = nullptr;
}  // namespace

FileSystem& Files() { return g_files ? *g_files : NativeFiles(); }
void SetFiles(FileSystem* replacement) { g_files = replacement; }
Drives& DriveProbe() { return g_drives ? *g_drives : NativeDrives(); }
void SetDriveProbe(Drives* replacement) { g_drives = replacement; }
TempFiles& Temp() { return g_temp ? *g_temp : NativeTemp(); }
void SetTemp(TempFiles* replacement) { g_temp = replacement; }
ErrorMode& ProcessErrorMode() { return g_errorMode ? *g_errorMode : NativeErrorMode(); }
void SetProcessErrorMode(ErrorMode* replacement) { g_errorMode = replacement; }
Dialogs& Ui() { return g_dialogs ? *g_dialogs : NativeDialogs(); }
void SetUi(Dialogs* replacement) { g_dialogs = replacement; }
Registry& Reg() { return g_registry ? *g_registry : NativeRegistry(); }
void SetRegistry(Registry* replacement) { g_registry = replacement; }
DdeClient& Dde() { return g_dde ? *g_dde : NativeDde(); }
void SetDde(DdeClient* replacement) { g_dde = replacement; }
Shell& ShellPort() { return g_shell ? *g_shell : NativeShell(); }
void SetShell(Shell* replacement) { g_shell = replacement; }
SystemFolders& Folders() { return g_folders ? *g_folders : NativeFolders(); }
void SetFolders(SystemFolders* replacement) { g_folders = replacement; }
Console& Terminal() { return g_console ? *g_console : NativeConsole(); }
void SetTerminal(Console* replacement) { g_console = replacement; }

void ProcessMessages() {
  Ui().ProcessMessages();
  ThrowIfInterrupted();
}

std::tm LocalTimeOf(std::time_t moment) {
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &moment);
#else
  localtime_r(&moment, &local);
#endif
  return local;
}

double NowLocalStamp() {
  const std::tm local = LocalTimeOf(std::time(nullptr));
  // Days from 30 December 1899 to the local calendar date, plus the time of day.
  const int64_t y = local.tm_year + 1900, m = local.tm_mon + 1, d = local.tm_mday;
  // Days since 1970-01-01 of a civil date (proleptic Gregorian).
  const int64_t yy = y - (m <= 2 ? 1 : 0);
  const int64_t era = (yy >= 0 ? yy : yy - 399) / 400;
  const int64_t yoe = yy - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const int64_t days1970 = era * 146097 + doe - 719468;
  const double seconds = local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec;
  return static_cast<double>(days1970 + 25569) + seconds / 86400.0;
}

}  // namespace plat
