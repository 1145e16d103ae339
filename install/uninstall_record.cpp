#include "install/uninstall_record.h"

#include <array>
#include <cstdio>
#include <optional>

#include "install/install_messages.h"
#include "platform/exceptions.h"
#include "platform/format.h"

namespace install {
namespace {

// The kinds' names, in the order of RecordStep's alternatives.
constexpr std::array<const char*, std::variant_size_v<RecordStep>> kKindNames = {
    "folder", "program", "entry", "key",    "value",      "backup",  "file",
    "shared", "group",   "icon",  "engine", "menufolder", "shortcut"};
// The kinds a record of the first version can hold: those before "engine".
constexpr std::size_t kFirstVersionKinds = 10;

// ---- the fields of each kind, as text and back ---------------------------------------

std::string RootText(platform::RegRoot root) { return platform::RootName(root); }

std::vector<std::string> FieldsOf(const FolderStep& s) { return {s.Path}; }
std::vector<std::string> FieldsOf(const ProgramStep& s) { return {s.Path}; }
std::vector<std::string> FieldsOf(const EntryStep& s) { return {s.Key}; }
std::vector<std::string> FieldsOf(const KeyStep& s) { return {RootText(s.Root), s.Path}; }
std::vector<std::string> FieldsOf(const ValueStep& s) {
  return {RootText(s.Root), s.Key, s.Name, s.Existed ? "1" : "0"};
}
std::vector<std::string> FieldsOf(const BackupStep& s) { return {s.Path, s.Copy}; }
std::vector<std::string> FieldsOf(const FileStep& s) {
  return {s.Path, std::to_string(s.Size), s.Digest.Hex()};
}
std::vector<std::string> FieldsOf(const SharedStep& s) { return {s.Path}; }
std::vector<std::string> FieldsOf(const GroupStep& s) { return {s.Name}; }
std::vector<std::string> FieldsOf(const IconStep& s) { return {s.Group, s.Caption, s.Path}; }
std::vector<std::string> FieldsOf(const EngineStep& s) { return {s.Path}; }
std::vector<std::string> FieldsOf(const MenuFolderStep& s) { return {s.Path}; }
std::vector<std::string> FieldsOf(const ShortcutStep& s) { return {s.Path}; }

// A field's text as its type: false (with what it is not in `problem`) when it is not.
bool ReadRoot(const std::string& text, platform::RegRoot& root, std::string& problem) {
  if (platform::RootFromName(text, root)) return true;
  problem = "a registry root that is not one of the roots";
  return false;
}

// A size as the writer writes it: decimal digits, no sign, no leading zero, at most
// what a 64-bit number holds.
bool ReadSize(const std::string& text, int64_t& size, std::string& problem) {
  problem = "a size that is not a number";
  if (text.empty() || text.size() > 19 || (text.size() > 1 && text[0] == '0')) return false;
  uint64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  if (value > static_cast<uint64_t>(INT64_MAX)) return false;
  size = static_cast<int64_t>(value);
  return true;
}

bool ReadDigest(const std::string& text, platform::TDigest128& digest, std::string& problem) {
  const auto read = platform::TDigest128::FromHex(text);
  if (!read) {
    problem = "a digest that is not 32 hexadecimal digits";
    return false;
  }
  digest = *read;
  return true;
}

bool ReadFlag(const std::string& text, bool& flag, std::string& problem) {
  if (text != "0" && text != "1") {
    problem = "a flag that is neither 0 nor 1";
    return false;
  }
  flag = text == "1";
  return true;
}

// The step of kind `kind` with fields `f` (as many as the kind takes).
std::optional<RecordStep> StepOf(std::size_t kind, const std::vector<std::string>& f,
                                 std::string& problem) {
  switch (kind) {
    case 0:
      return FolderStep{f[0]};
    case 1:
      return ProgramStep{f[0]};
    case 2:
      return EntryStep{f[0]};
    case 3: {
      KeyStep s;
      s.Path = f[1];
      if (!ReadRoot(f[0], s.Root, problem)) return std::nullopt;
      return s;
    }
    case 4: {
      ValueStep s;
      s.Key = f[1];
      s.Name = f[2];
      if (!ReadRoot(f[0], s.Root, problem) || !ReadFlag(f[3], s.Existed, problem))
        return std::nullopt;
      return s;
    }
    case 5:
      return BackupStep{f[0], f[1]};
    case 6: {
      FileStep s;
      s.Path = f[0];
      if (!ReadSize(f[1], s.Size, problem) || !ReadDigest(f[2], s.Digest, problem))
        return std::nullopt;
      return s;
    }
    case 7:
      return SharedStep{f[0]};
    case 8:
      return GroupStep{f[0]};
    case 9:
      return IconStep{f[0], f[1], f[2]};
    case 10:
      return EngineStep{f[0]};
    case 11:
      return MenuFolderStep{f[0]};
    case 12:
      return ShortcutStep{f[0]};
    default:
      return std::nullopt;
  }
}

// The number of fields each kind takes, as its step writes them.
constexpr std::array<std::size_t, std::variant_size_v<RecordStep>> kFieldCounts = {
    1, 1, 1, 2, 4, 2, 3, 1, 1, 3, 1, 1, 1};

// ---- lines ----------------------------------------------------------------------------

std::string Escape(const std::string& field) {
  std::string out;
  for (const char c : field) {
    if (c == '\t' || c == '\r' || c == '\n' || c == '%') {
      char code[4];
      std::snprintf(code, sizeof code, "%%%02X", static_cast<unsigned char>(c));
      out += code;
    } else {
      out += c;
    }
  }
  return out;
}

// The field of an escaped text; false for an escape that is not one of ours, or for a
// line end the writer would have escaped (a line is read in one spelling only).
bool Unescape(const std::string& text, std::string& field) {
  field.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') return false;
    if (text[i] != '%') {
      field += text[i];
      continue;
    }
    const std::string code = text.substr(i + 1, 2);
    if (code == "09")
      field += '\t';
    else if (code == "0D")
      field += '\r';
    else if (code == "0A")
      field += '\n';
    else if (code == "25")
      field += '%';
    else
      return false;
    i += 2;
  }
  return true;
}

std::string Check(const std::string& previous, const std::string& text) {
  const std::string chained = previous + "\t" + text;
  return platform::TContentHash::Of(chained.data(), chained.size()).Hex();
}

std::string HeaderText(int version = kRecordVersion) {
  return std::string(kRecordFormat) + "\t" + std::to_string(version);
}

std::vector<std::string> SplitTabs(const std::string& text) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] != '\t') continue;
    parts.push_back(text.substr(start, i - start));
    start = i + 1;
  }
  return parts;
}

std::string ReadAll(platform::File& file) {
  std::string bytes;
  char buffer[8192];
  for (int32_t n; (n = file.Read(buffer, sizeof buffer)) > 0;) bytes.append(buffer, buffer + n);
  return bytes;
}

// The record as the writer writes `steps` anew, and the last line's check.
std::string Render(const std::vector<RecordStep>& steps, std::string& check) {
  std::string out;
  check.clear();
  const auto put = [&](const std::string& text) {
    check = Check(check, text);
    out += text + "\t" + check + "\r\n";
  };
  put(HeaderText());
  for (const RecordStep& step : steps) put(RecordLineText(step));
  return out;
}

[[noreturn]] void CannotWrite(const std::string& path, const std::string& reason) {
  throw platform::EInOutError(platform::Fmt(msg::kCannotWriteRecord, path), reason);
}

}  // namespace

const char* RecordKindName(const RecordStep& step) { return kKindNames[step.index()]; }

std::string RecordLineText(const RecordStep& step) {
  std::string text = RecordKindName(step);
  for (const std::string& f : std::visit([](const auto& s) { return FieldsOf(s); }, step)) {
    text += '\t';
    text += Escape(f);
  }
  return text;
}

UninstallRecord ParseUninstallRecord(const std::string& bytes) {
  UninstallRecord record;
  record.State = RecordState::Valid;
  const auto damaged = [&](std::size_t number, const std::string& what) {
    record.State = RecordState::Damaged;
    record.Steps.clear();
    record.Problem = "line " + std::to_string(number) + ": " + what;
    return record;
  };
  std::string check;
  std::size_t at = 0, number = 0;
  while (at < bytes.size()) {
    ++number;
    const std::size_t end = bytes.find("\r\n", at);
    const bool last = end == std::string::npos || end + 2 == bytes.size();
    if (end == std::string::npos) {
      // Cut short as it was written: what came before stands.
      record.CutShort = true;
      break;
    }
    const std::string line = bytes.substr(at, end - at);
    at = end + 2;
    const std::size_t tab = line.rfind('\t');
    const std::string text = tab == std::string::npos ? line : line.substr(0, tab);
    if (tab == std::string::npos || Check(check, text) != line.substr(tab + 1)) {
      if (last && number > 1) {
        record.CutShort = true;  // the line being written when the writer stopped
        break;
      }
      return damaged(number, "its check does not match");
    }
    check = line.substr(tab + 1);
    if (number == 1) {
      for (int version = 1; version <= kRecordVersion; ++version)
        if (text == HeaderText(version)) record.Version = version;
      if (record.Version == 0) return damaged(1, "not a record of this format and version");
      continue;
    }
    const std::vector<std::string> parts = SplitTabs(text);
    std::size_t kind = 0;
    while (kind < kKindNames.size() && parts[0] != kKindNames[kind]) ++kind;
    if (kind == kKindNames.size() || parts.size() != kFieldCounts[kind] + 1 ||
        (record.Version == 1 && kind >= kFirstVersionKinds))
      return damaged(number, "an unknown step");
    std::vector<std::string> fields;
    for (std::size_t i = 1; i < parts.size(); ++i) {
      std::string field;
      if (!Unescape(parts[i], field)) return damaged(number, "a field that cannot be read");
      fields.push_back(std::move(field));
    }
    std::string problem;
    std::optional<RecordStep> step = StepOf(kind, fields, problem);
    if (!step) return damaged(number, problem);
    record.Steps.push_back(std::move(*step));
  }
  if (number == 0 || (number == 1 && record.CutShort)) return damaged(1, "the record is empty");
  return record;
}

UninstallRecord ReadUninstallRecord(const std::string& path) {
  // Also while an installation is writing it.
  auto file =
      platform::FileSystemPort().Open(path, platform::Access::Read, platform::Share::ReadWrite,
                                      platform::Disposition::OpenExisting);
  if (!file) {
    UninstallRecord missing;
    missing.Problem = path + ": " + platform::FileSystemPort().FailureReason();
    return missing;
  }
  return ParseUninstallRecord(ReadAll(*file));
}

RecordWriter::RecordWriter(const std::string& path) : path_(path) {
  platform::FileSystem& files = platform::FileSystemPort();
  UninstallRecord earlier;
  if (files.FileExists(path)) {
    earlier = ReadUninstallRecord(path);
    if (earlier.State == RecordState::Damaged) {
      // Never acted on, and never built upon: kept aside for whoever looks into it.
      files.Rename(path, path + ".BAD");
      earlier = UninstallRecord();
    }
  }
  steps_ = std::move(earlier.Steps);
  if (earlier.State == RecordState::Valid && !earlier.CutShort &&
      earlier.Version == kRecordVersion) {
    file_ = files.Open(path, platform::Access::Write, platform::Share::Read,
                       platform::Disposition::OpenAlways);
    const int64_t size = file_ ? file_->Size() : -1;
    if (!file_ || size < 0 || !file_->Seek(size)) CannotWrite(path, files.FailureReason());
    Render(steps_, check_);
    return;
  }
  // New, or continued without the line a crash cut short, or in the current version.
  WriteWhole();
}

RecordWriter::~RecordWriter() = default;

void RecordWriter::WriteWhole() {
  platform::FileSystem& files = platform::FileSystemPort();
  file_.reset();
  // Written whole beside it and put in its place, then continued.
  const std::string fresh = Render(steps_, check_);
  const std::string beside = path_ + ".NEW";
  {
    auto out = files.Open(beside, platform::Access::Write, platform::Share::None,
                          platform::Disposition::CreateAlways);
    if (!out ||
        out->Write(fresh.data(), static_cast<int32_t>(fresh.size())) !=
            static_cast<int32_t>(fresh.size()) ||
        !out->Flush() || !out->Close())
      CannotWrite(path_, files.FailureReason());
  }
  // Never writable by users, also in a folder that lets them write (InstallRecord::Open
  // tells the log how that went; a file system without access lists has none to set).
  files.SetAccess(beside, platform::AccessRule::UsersReadExecute);
  if (!files.Rename(beside, path_)) CannotWrite(path_, files.FailureReason());
  file_ = files.Open(path_, platform::Access::Write, platform::Share::Read,
                     platform::Disposition::OpenAlways);
  if (!file_ || !file_->Seek(static_cast<int64_t>(fresh.size())))
    CannotWrite(path_, files.FailureReason());
}

void RecordWriter::Add(const RecordStep& step) {
  if (broken_) {
    // What the failed write left is replaced by the whole record, this step with it.
    steps_.push_back(step);
    try {
      WriteWhole();
    } catch (...) {
      steps_.pop_back();
      throw;
    }
    broken_ = false;
    return;
  }
  const std::string text = RecordLineText(step);
  const std::string check = Check(check_, text);
  const std::string line = text + "\t" + check + "\r\n";
  if (file_->Write(line.data(), static_cast<int32_t>(line.size())) !=
          static_cast<int32_t>(line.size()) ||
      !file_->Flush()) {
    broken_ = true;
    CannotWrite(path_, file_->FailureReason());
  }
  steps_.push_back(step);
  check_ = check;
}

}  // namespace install
