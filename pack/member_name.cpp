#include "pack/member_name.h"

#include <string_view>

#include "pack/pack_messages.h"
#include "platform/text.h"

namespace pack {
namespace {

bool IsParentComponent(std::string_view part) {
  int dots = 0;
  for (char c : part) {
    if (c == '.')
      ++dots;
    else if (c != ' ')
      return false;
  }
  return dots >= 2;
}

// COM and LPT take the digits 1 to 9 and the code page's superscripts 1, 2 and 3.
bool IsPortDigit(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (c >= '1' && c <= '9') || u == 0xB9 || u == 0xB2 || u == 0xB3;
}

bool IsReservedDevice(std::string_view part) {
  std::string_view base = part.substr(0, part.find('.'));
  while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
  for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
    if (platform::SameFolded(base, device)) return true;
  return base.size() == 4 &&
         (platform::SameFolded(base.substr(0, 3), "COM") ||
          platform::SameFolded(base.substr(0, 3), "LPT")) &&
         IsPortDigit(base[3]);
}

bool EndsInDotOrBlank(std::string_view part) {
  return part != "." && !part.empty() && (part.back() == '.' || part.back() == ' ');
}

// The components of `rest`, empty ones included (they are harmless and skipped).
template <class Check>
bool AnyComponent(std::string_view rest, Check check) {
  std::size_t start = 0;
  for (std::size_t i = 0; i <= rest.size(); ++i) {
    if (i < rest.size() && !platform::IsSeparator(rest[i])) continue;
    if (check(rest.substr(start, i - start))) return true;
    start = i + 1;
  }
  return false;
}

}  // namespace

NameFault CheckMemberName(const std::string& name) {
  for (unsigned char c : name)
    if (c < 0x20 || c == 0x7F) return NameFault::ControlCharacter;
  if (name.find(':') != std::string::npos) return NameFault::LeavesTarget;
  std::string_view rest = name;
  if (!rest.empty() && rest.front() == '\\') rest.remove_prefix(1);
  if (!rest.empty() && platform::IsSeparator(rest.front())) return NameFault::LeavesTarget;
  if (AnyComponent(rest, IsParentComponent)) return NameFault::LeavesTarget;
  if (AnyComponent(rest, IsReservedDevice)) return NameFault::ReservedDevice;
  if (AnyComponent(rest, EndsInDotOrBlank)) return NameFault::TrailingDotOrBlank;
  const std::size_t last = rest.find_last_of("\\/");
  const std::string_view file = last == std::string_view::npos ? rest : rest.substr(last + 1);
  if (file.empty() || file == ".") return NameFault::NoFileName;
  return NameFault::None;
}

const char* NameFaultReason(NameFault fault) {
  switch (fault) {
    case NameFault::None:
      break;
    case NameFault::ControlCharacter:
      return "control character";
    case NameFault::LeavesTarget:
      return "leads outside the target directory";
    case NameFault::ReservedDevice:
      return "reserved device name";
    case NameFault::TrailingDotOrBlank:
      return "ends in a dot or blank";
    case NameFault::NoFileName:
      return "names no file";
  }
  return "";
}

platform::NamedMessage NameFaultNaming(NameFault fault, const std::string& name) {
  const char* format = "%s";
  switch (fault) {
    case NameFault::None:
      break;
    case NameFault::ControlCharacter:
      format = msg::kControlInName;
      break;
    case NameFault::LeavesTarget:
      format = msg::kUnsafeName;
      break;
    case NameFault::ReservedDevice:
      format = msg::kReservedName;
      break;
    case NameFault::TrailingDotOrBlank:
      format = msg::kTrailingDotName;
      break;
    case NameFault::NoFileName:
      format = msg::kNoFileName;
      break;
  }
  return platform::Naming(format, name, platform::NamedMessage::Names::Member);
}

std::string NameFaultMessage(NameFault fault, const std::string& name) {
  return NameFaultNaming(fault, name).Text();
}

}  // namespace pack
