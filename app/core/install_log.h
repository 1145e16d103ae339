// The installation log: one line per event, each with a time stamp, appended to a file
// that other programs can read while the run goes on. Lines end with CR LF; control
// characters inside an event (the carriage return of a message, the line end of a
// Program Manager command) are written as \r, \n or \xNN so that an event stays one line.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace platform {
class File;
}

namespace app {

class TInstallLog {
 public:
  // Returns the time stamp of a line.
  using Clock = std::function<std::string()>;

  // Opens `path` for appending, creating it when missing. Raises platform::EInOutError naming
  // the file when it cannot be opened.
  explicit TInstallLog(const std::string& path, Clock clock = LocalTimeStamp);
  ~TInstallLog();
  TInstallLog(const TInstallLog&) = delete;
  TInstallLog& operator=(const TInstallLog&) = delete;

  // Appends one line and hands it to the system at once. A failing write is ignored:
  // the log never stops an installation.
  void Write(const std::string& event);

  const std::string& Path() const { return path_; }

  // "YYYY-MM-DD HH:MM:SS.mmm" in local time.
  static std::string LocalTimeStamp();
  // The event as it is written: control characters escaped.
  static std::string Escape(const std::string& event);

 private:
  std::string path_;
  Clock clock_;
  std::unique_ptr<platform::File> file_;
};

}  // namespace app
