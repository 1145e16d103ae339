#include "tools/pck/listing.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "platform/dos_time.h"
#include "tools/pck/pck_messages.h"
#include "tools/pck/shown.h"

namespace pck {
namespace {

// Civil date of a count of days since 1 January 1970 (proleptic Gregorian).
void CivilFromDays(int64_t z, int& year, unsigned& month, unsigned& day) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t y = static_cast<int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = doy - (153 * mp + 2) / 5 + 1;
  month = mp < 10 ? mp + 3 : mp - 9;
  year = static_cast<int>(y + (month <= 2));
}

std::string Commas(int64_t value) {
  std::string digits = std::to_string(value < 0 ? -value : value);
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return value < 0 ? "-" + out : out;
}

// Space saved, in per cent of the uncompressed size.
std::string Ratio(int64_t stored, int64_t size) {
  if (size < 0) return "?";
  if (size == 0) return "0%";
  return std::to_string(100 - stored * 100 / size) + "%";
}

}  // namespace

std::string FormatDosTime(uint32_t dosTime) {
  if (!platform::IsValidDosTime(dosTime)) return msg::kInvalidTime;
  const platform::DosDateTime t = platform::SplitDosTime(dosTime);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return text;
}

std::string FormatStamp(double stamp) {
  if (!std::isfinite(stamp) || std::fabs(stamp) > 3e6) return msg::kInvalidStamp;
  int64_t days = static_cast<int64_t>(std::floor(stamp));
  int64_t seconds = std::llround((stamp - static_cast<double>(days)) * 86400.0);
  if (seconds >= 86400) {
    ++days;
    seconds -= 86400;
  }
  int year;
  unsigned month, day;
  CivilFromDays(days - 25569, year, month, day);  // 25569: 1899-12-30 to 1970-01-01
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u %02d:%02d:%02d", year, month, day,
                static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                static_cast<int>(seconds % 60));
  return text;
}

std::string FormatAttr(uint16_t attr) {
  std::string text = "----";
  if (attr & 0x01) text[0] = 'r';
  if (attr & 0x02) text[1] = 'h';
  if (attr & 0x04) text[2] = 's';
  if (attr & 0x20) text[3] = 'a';
  return text;
}

void PrintListing(std::FILE* out, const std::vector<MemberInfo>& members, bool wide,
                  const std::map<std::size_t, std::string>& notes, bool digests) {
  int64_t size = 0, stored = 0;
  bool sizeKnown = true;
  for (const MemberInfo& m : members) {
    if (m.Size >= 0)
      size += m.Size;
    else
      sizeKnown = false;
    stored += m.Stored;
  }
  const std::string total = Commas(size) + (sizeKnown ? "" : "+");
  // The number columns are as wide as their widest value (2,147,483,647 and its totals
  // included), 12 at least.
  const int w = static_cast<int>(std::max<std::size_t>({12, total.size(), Commas(stored).size()}));
  if (wide)
    std::fprintf(out, "%*s %*s %5s %-6s %-19s %-4s  %s\n", w, msg::kColumnLength, w,
                 msg::kColumnStored, msg::kColumnRatio, msg::kColumnMethod, msg::kColumnDateTime,
                 msg::kColumnAttr, msg::kColumnName);
  else
    std::fprintf(out, "%*s  %-19s  %-4s  %s\n", w, msg::kColumnLength, msg::kColumnDateTime,
                 msg::kColumnAttr, msg::kColumnName);
  const std::string rule(static_cast<std::size_t>(w), '-'), rule19(19, '-');
  if (wide)
    std::fprintf(out, "%s %s %s %s %s %s  %s\n", rule.c_str(), rule.c_str(), "-----", "------",
                 rule19.c_str(), "----", "----");
  else
    std::fprintf(out, "%s  %s  %s  %s\n", rule.c_str(), rule19.c_str(), "----", "----");
  for (std::size_t i = 0; i < members.size(); ++i) {
    const MemberInfo& m = members[i];
    const std::string length = m.Size >= 0 ? Commas(m.Size) : "?";
    const std::string when = FormatDosTime(static_cast<uint32_t>(m.Time));
    const auto note = notes.find(i);
    const std::string name = ShownText(m.Name) + (note == notes.end() ? "" : "  " + note->second);
    if (wide) {
      const std::string ratio = Ratio(m.Stored, m.Size);
      std::fprintf(out, "%*s %*s %5s %-6s %-19s %-4s  %s\n", w, length.c_str(), w,
                   Commas(m.Stored).c_str(), ratio.c_str(), m.Method.c_str(), when.c_str(),
                   FormatAttr(m.Attr).c_str(), name.c_str());
    } else {
      std::fprintf(out, "%*s  %-19s  %-4s  %s\n", w, length.c_str(), when.c_str(),
                   FormatAttr(m.Attr).c_str(), name.c_str());
    }
    if (digests)
      std::fprintf(out, "%*s  %s\n", w, "",
                   m.Digest.empty() ? msg::kNoDigest : msg::Fmt(msg::kDigest, m.Digest).c_str());
  }
  const std::string files = msg::Fmt(members.size() == 1 ? msg::kOneFile : msg::kFiles,
                                     static_cast<long long>(members.size()));
  if (wide) {
    std::fprintf(out, "%s %s %34s  %s\n", rule.c_str(), rule.c_str(), "", "-------");
    std::fprintf(out, "%*s %*s %34s  %s\n", w, total.c_str(), w, Commas(stored).c_str(), "",
                 files.c_str());
  } else {
    std::fprintf(out, "%s  %27s  %s\n", rule.c_str(), "", "-------");
    std::fprintf(out, "%*s  %27s  %s\n", w, total.c_str(), "", files.c_str());
  }
}

}  // namespace pck
