// The adapter of every port in use: the platform's own unless a ScopedPort installed another.
#include <chrono>
#include <ctime>

#include "platform/files.h"
#include "platform/interrupt.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/system.h"

namespace platform {

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
template <class Port>
Port& NativeOf();
template <>
FileSystem& NativeOf<FileSystem>() {
  return NativeFiles();
}
template <>
Drives& NativeOf<Drives>() {
  return NativeDrives();
}
template <>
TempFiles& NativeOf<TempFiles>() {
  return NativeTemp();
}
template <>
ErrorMode& NativeOf<ErrorMode>() {
  return NativeErrorMode();
}
template <>
Dialogs& NativeOf<Dialogs>() {
  return NativeDialogs();
}
template <>
Console& NativeOf<Console>() {
  return NativeConsole();
}
template <>
Registry& NativeOf<Registry>() {
  return NativeRegistry();
}
template <>
DdeClient& NativeOf<DdeClient>() {
  return NativeDde();
}
template <>
Shell& NativeOf<Shell>() {
  return NativeShell();
}
template <>
SystemFolders& NativeOf<SystemFolders>() {
  return NativeFolders();
}
}  // namespace

template <class Port>
Port*& port_detail::Installed() {
  static Port* installed = nullptr;
  return installed;
}

template <class Port>
Port& CurrentPort() {
  Port* installed = port_detail::Installed<Port>();
  return installed ? *installed : NativeOf<Port>();
}

#define PLAT_PORT(Port)                           \
  template Port*& port_detail::Installed<Port>(); \
  template Port& CurrentPort<Port>();
PLAT_PORT(FileSystem)
PLAT_PORT(Drives)
PLAT_PORT(TempFiles)
PLAT_PORT(ErrorMode)
PLAT_PORT(Dialogs)
PLAT_PORT(Console)
PLAT_PORT(Registry)
PLAT_PORT(DdeClient)
PLAT_PORT(Shell)
PLAT_PORT(SystemFolders)
#undef PLAT_PORT

void ProcessMessages() {
  DialogsPort().ProcessMessages();
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

}  // namespace platform
