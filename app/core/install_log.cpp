#include "app/core/install_log.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#include "platform/exceptions.h"
#include "platform/files.h"
#include "platform/system.h"
#include "platform/text.h"

namespace app {

TInstallLog::TInstallLog(const std::string& path, Clock clock)
    : path_(path), clock_(std::move(clock)) {
  file_ = platform::FileSystemPort().Open(path, platform::Access::Write, platform::Share::ReadWrite,
                                          platform::Disposition::OpenAlways);
  const int64_t size = file_ ? file_->Size() : -1;
  if (!file_ || size < 0 || !file_->Seek(size))
    throw platform::EInOutError("Cannot open the log file " + path);
}

TInstallLog::~TInstallLog() = default;

void TInstallLog::Write(const std::string& event) {
  const std::string line = clock_() + " " + Escape(event) + "\r\n";
  // At the end as it is now: another run (the uninstaller's copy of itself) may have
  // written to the same log meanwhile.
  const int64_t end = file_->Size();
  if (end >= 0) file_->Seek(end);
  file_->Write(line.data(), static_cast<int32_t>(line.size()));
}

std::string TInstallLog::Escape(const std::string& event) {
  std::string out;
  for (const char c : event) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '\r')
      out += "\\r";
    else if (c == '\n')
      out += "\\n";
    else if (c == '\t')
      out += "\\t";
    else if (u < 0x20 || u == 0x7F) {
      out += platform::HexEscape(u);
    } else {
      out += c;
    }
  }
  return out;
}

std::string TInstallLog::LocalTimeStamp() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const auto millis =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  const std::tm local = platform::LocalTimeOf(seconds);
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", local.tm_year + 1900,
                local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                static_cast<int>(millis));
  return text;
}

}  // namespace app
