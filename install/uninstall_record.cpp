#include "install/uninstall_record.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "platform/exceptions.h"

namespace install {
namespace {

struct KindInfo {
  TRecordKind kind;
  const char* name;
  std::size_t fields;
};

constexpr std::array<KindInfo, 10> kKinds = {{
    {TRecordKind::Folder, "folder", 1},
    {TRecordKind::Program, "program", 1},
    {TRecordKind::Entry, "entry", 1},
    {TRecordKind::Key, "key", 2},
    {TRecordKind::Value, "value", 4},
    {TRecordKind::Backup, "backup", 2},
    {TRecordKind::File, "file", 3},
    {TRecordKind::Shared, "shared", 1},
    {TRecordKind::Group, "group", 1},
    {TRecordKind::Icon, "icon", 3},
}};

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

// The field of an escaped text; false for an escape that is not one of ours.
bool Unescape(const std::string& text, std::string& field) {
  field.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
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

std::string HeaderText() {
  return std::string(kRecordFormat) + "\t" + std::to_string(kRecordVersion);
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

// The record as the writer would write `lines` anew, and the last line's check.
std::string Render(const std::vector<TRecordLine>& lines, std::string& check) {
  std::string out;
  check.clear();
  const auto put = [&](const std::string& text) {
    check = Check(check, text);
    out += text + "\t" + check + "\r\n";
  };
  put(HeaderText());
  for (const TRecordLine& line : lines) {
    std::string text = RecordKindName(line.Kind);
    for (const std::string& f : line.Fields) text += "\t" + Escape(f);
    put(text);
  }
  return out;
}

}  // namespace

const char* RecordKindName(TRecordKind kind) {
  for (const KindInfo& k : kKinds)
    if (k.kind == kind) return k.name;
  return "?";
}

std::size_t RecordKindFields(TRecordKind kind) {
  for (const KindInfo& k : kKinds)
    if (k.kind == kind) return k.fields;
  return 0;
}

TUninstallRecord ParseUninstallRecord(const std::string& bytes) {
  TUninstallRecord record;
  record.State = TRecordState::Valid;
  const auto damaged = [&](std::size_t number, const std::string& what) {
    record.State = TRecordState::Damaged;
    record.Lines.clear();
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
      if (text != HeaderText()) return damaged(1, "not a record of this format and version");
      continue;
    }
    std::vector<std::string> parts = SplitTabs(text);
    const auto kind = std::find_if(kKinds.begin(), kKinds.end(),
                                   [&](const KindInfo& k) { return parts[0] == k.name; });
    if (kind == kKinds.end() || parts.size() != kind->fields + 1)
      return damaged(number, "an unknown step");
    TRecordLine entry{kind->kind, {}};
    for (std::size_t i = 1; i < parts.size(); ++i) {
      std::string field;
      if (!Unescape(parts[i], field)) return damaged(number, "a field that cannot be read");
      entry.Fields.push_back(field);
    }
    record.Lines.push_back(std::move(entry));
  }
  if (number == 0 || (number == 1 && record.CutShort)) return damaged(1, "the record is empty");
  return record;
}

TUninstallRecord ReadUninstallRecord(const std::string& path) {
  auto file = platform::FileSystemPort().Open(path, platform::Access::Read, platform::Share::Read,
                                              platform::Disposition::OpenExisting);
  if (!file) {
    TUninstallRecord missing;
    missing.Problem = path + ": " + platform::FileSystemPort().FailureReason();
    return missing;
  }
  return ParseUninstallRecord(ReadAll(*file));
}

TUninstallRecordWriter::TUninstallRecordWriter(const std::string& path) : path_(path) {
  platform::FileSystem& files = platform::FileSystemPort();
  TUninstallRecord earlier;
  if (files.FileExists(path)) {
    earlier = ReadUninstallRecord(path);
    if (earlier.State == TRecordState::Damaged) {
      // Never acted on, and never built upon: kept aside for whoever looks into it.
      files.Rename(path, path + ".BAD");
      earlier = TUninstallRecord();
    }
  }
  if (earlier.State == TRecordState::Valid && !earlier.CutShort) {
    file_ = files.Open(path, platform::Access::Write, platform::Share::Read,
                       platform::Disposition::OpenAlways);
    const int64_t size = file_ ? file_->Size() : -1;
    if (!file_ || size < 0 || !file_->Seek(size))
      throw platform::EInOutError("Cannot write the uninstall record " + path,
                                  files.FailureReason());
    Render(earlier.Lines, check_);
    return;
  }
  // New, or continued without the line a crash cut short: written whole beside it and
  // put in its place, then continued.
  const std::string fresh = Render(earlier.Lines, check_);
  const std::string beside = path + ".NEW";
  {
    auto out = files.Open(beside, platform::Access::Write, platform::Share::None,
                          platform::Disposition::CreateAlways);
    if (!out ||
        out->Write(fresh.data(), static_cast<int32_t>(fresh.size())) !=
            static_cast<int32_t>(fresh.size()) ||
        !out->Flush() || !out->Close())
      throw platform::EInOutError("Cannot write the uninstall record " + path,
                                  files.FailureReason());
  }
  if (!files.Rename(beside, path))
    throw platform::EInOutError("Cannot write the uninstall record " + path, files.FailureReason());
  file_ = files.Open(path, platform::Access::Write, platform::Share::Read,
                     platform::Disposition::OpenAlways);
  if (!file_ || !file_->Seek(static_cast<int64_t>(fresh.size())))
    throw platform::EInOutError("Cannot write the uninstall record " + path, files.FailureReason());
}

TUninstallRecordWriter::~TUninstallRecordWriter() = default;

void TUninstallRecordWriter::Add(TRecordKind kind, const std::vector<std::string>& fields) {
  std::string text = RecordKindName(kind);
  for (const std::string& f : fields) text += "\t" + Escape(f);
  const std::string check = Check(check_, text);
  Write(text + "\t" + check + "\r\n");
  check_ = check;
}

void TUninstallRecordWriter::Write(const std::string& text) {
  if (file_->Write(text.data(), static_cast<int32_t>(text.size())) !=
          static_cast<int32_t>(text.size()) ||
      !file_->Flush())
    throw platform::EInOutError("Cannot write the uninstall record " + path_,
                                file_->FailureReason());
}

}  // namespace install
