#include "tools/pck/unix_meta.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "platform/files.h"
#include "platform/text.h"
#include "tools/pck/pck_messages.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#endif

namespace pck {
namespace {

bool ParseMeta(std::istringstream& in, UnixMeta& meta) {
  std::string mode;
  int64_t mtime = 0;
  if (!(in >> mode >> mtime) || mode.size() != 4 ||
      mode.find_first_not_of("01234567") != std::string::npos)
    return false;
  meta.Mode = static_cast<uint32_t>(std::stoul(mode, nullptr, 8));
  meta.Mtime = mtime;
  return true;
}

std::string Meta(const UnixMeta& meta) {
  char text[64];
  std::snprintf(text, sizeof text, "%04o %lld", static_cast<unsigned>(meta.Mode & 07777),
                static_cast<long long>(meta.Mtime));
  return text;
}

}  // namespace

std::string MemberUnixLine(int32_t position, const UnixMeta& meta) {
  return std::string(kUnixScheme) + " member " + std::to_string(position) +
         (meta.Link ? " link " : " file ") + Meta(meta);
}

std::string FolderUnixLine(const UnixFolder& folder) {
  return std::string(kUnixScheme) + " folder " + Meta(folder.Meta) + " " + folder.Name;
}

UnixLines ParseUnixLines(const std::vector<std::string>& header) {
  UnixLines lines;
  const std::string scheme = std::string(kUnixScheme) + " ";
  for (const std::string& line : header) {
    if (line.compare(0, scheme.size(), scheme) != 0) continue;
    std::istringstream in(line.substr(scheme.size()));
    std::string what, kind;
    UnixMeta meta;
    int32_t position = 0;
    bool parsed = false;
    if (in >> what) {
      if (what == "member" && in >> position >> kind && position > 0 &&
          (kind == "file" || kind == "link") && ParseMeta(in, meta)) {
        meta.Link = kind == "link";
        std::string rest;
        parsed = !(in >> rest);
        if (parsed) lines.Members[position] = meta;
      } else if (what == "folder" && ParseMeta(in, meta)) {
        std::string name;
        std::getline(in >> std::ws, name);
        parsed = !name.empty();
        if (parsed) lines.Folders.push_back({name, meta});
      }
    }
    if (!parsed) ++lines.Malformed;
  }
  return lines;
}

#ifndef _WIN32

std::optional<UnixMeta> UnixMetaOf(const std::string& path, bool followLink) {
  struct stat st {};
  const std::string host = platform::ToHostPath(path);
  if ((followLink ? ::stat(host.c_str(), &st) : ::lstat(host.c_str(), &st)) != 0)
    return std::nullopt;
  UnixMeta meta;
  meta.Link = S_ISLNK(st.st_mode);
  meta.Mode = static_cast<uint32_t>(st.st_mode & 07777);
  meta.Mtime = static_cast<int64_t>(st.st_mtime);
  return meta;
}

std::optional<std::string> LinkTarget(const std::string& path) {
  std::error_code error;
  const std::filesystem::path target =
      std::filesystem::read_symlink(platform::ToHostPath(path), error);
  if (error) return std::nullopt;
  return target.string();
}

bool SameHostFile(const std::string& a, const std::string& b) {
  struct stat first {};
  struct stat second {};
  return ::lstat(platform::ToHostPath(a).c_str(), &first) == 0 &&
         ::lstat(platform::ToHostPath(b).c_str(), &second) == 0 && first.st_dev == second.st_dev &&
         first.st_ino == second.st_ino;
}

namespace {

bool SetTime(const std::string& host, int64_t mtime, std::string& reason) {
  const struct timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(mtime), 0}};
  if (::utimensat(AT_FDCWD, host.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0) return true;
  reason = std::strerror(errno);
  return false;
}

}  // namespace

bool RestoreUnixMeta(const std::string& path, const UnixMeta& meta, std::string& reason) {
  const std::string host = platform::ToHostPath(path);
  if (meta.Link) {
    std::FILE* file = std::fopen(host.c_str(), "rb");
    if (!file) {
      reason = std::strerror(errno);
      return false;
    }
    std::string target;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
      target.append(buffer, got);
    std::fclose(file);
    if (target.empty()) {
      reason = msg::kEmptyLinkTarget;
      return false;
    }
    // The link is made beside the file under a name of its own (never one that is there)
    // and takes the file's place in one step.
    std::string temp;
    bool made = false;
    for (int attempt = 0; attempt < 100 && !made; ++attempt) {
      temp = host + ".PCK" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
      made = ::symlink(target.c_str(), temp.c_str()) == 0;
      if (!made && errno != EEXIST) break;
    }
    if (!made || ::rename(temp.c_str(), host.c_str()) != 0) {
      reason = std::strerror(errno);
      if (made) ::unlink(temp.c_str());
      return false;
    }
    return SetTime(host, meta.Mtime, reason);
  }
  if (::chmod(host.c_str(), static_cast<mode_t>(meta.Mode & 07777)) != 0) {
    reason = std::strerror(errno);
    return false;
  }
  return SetTime(host, meta.Mtime, reason);
}

bool RestoreUnixFolder(const std::string& root, const std::string& name, const UnixMeta& meta,
                       std::string& reason) {
  // Each folder below the root is made or found, never through a link.
  std::string host = platform::ToHostPath(root);
  for (const std::string& part : platform::PathComponents(name)) {
    host += (host.empty() || host.back() == '/' ? "" : "/") + platform::ToHostPath(part);
    struct stat st {};
    if (::lstat(host.c_str(), &st) != 0 &&
        (::mkdir(host.c_str(), 0700) != 0 || ::lstat(host.c_str(), &st) != 0)) {
      reason = std::strerror(errno);
      return false;
    }
    if (!S_ISDIR(st.st_mode)) {
      reason = S_ISLNK(st.st_mode) ? platform::kReasonLinkOnPath : platform::kReasonNotDirectory;
      return false;
    }
  }
  if (::chmod(host.c_str(), static_cast<mode_t>(meta.Mode & 07777)) != 0) {
    reason = std::strerror(errno);
    return false;
  }
  return SetTime(host, meta.Mtime, reason);
}

#else

std::optional<UnixMeta> UnixMetaOf(const std::string&, bool) { return std::nullopt; }
std::optional<std::string> LinkTarget(const std::string&) { return std::nullopt; }
bool SameHostFile(const std::string&, const std::string&) { return false; }
bool RestoreUnixMeta(const std::string&, const UnixMeta&, std::string&) { return true; }
bool RestoreUnixFolder(const std::string&, const std::string&, const UnixMeta&, std::string&) {
  return true;
}

#endif

}  // namespace pck
