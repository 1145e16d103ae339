#include "xp/xp_imports.h"

#include <sstream>
#include <stdexcept>

#include "platform/text.h"

namespace xpcheck {
namespace {

std::string Upper(const std::string& name) { return platform::UpperAscii(name); }

// The lines of a list, comments and surrounding blanks removed, with their numbers.
template <class Each>
void ForEachLine(const std::string& text, Each each) {
  std::istringstream in(text);
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    line = line.substr(0, line.find('#'));
    const auto first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos) continue;
    line = line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
    each(line, number);
  }
}

std::runtime_error ListError(const char* list, int line, const std::string& what) {
  return std::runtime_error(std::string(list) + " line " + std::to_string(line) + ": " + what);
}

}  // namespace

XpLists ReadXpLists(const std::string& reviewedText, const std::string& newerText) {
  XpLists lists;
  std::string dll;
  ForEachLine(reviewedText, [&](const std::string& line, int number) {
    if (line.front() == '[') {
      if (line.back() != ']' || line.size() < 3)
        throw ListError("reviewed list", number, "a DLL is written [NAME.DLL]");
      dll = Upper(line.substr(1, line.size() - 2));
      if (!lists.dlls.insert(dll).second)
        throw ListError("reviewed list", number, dll + " appears twice");
      lists.functions[dll];
      return;
    }
    if (dll.empty()) throw ListError("reviewed list", number, "a function before any [DLL]");
    std::istringstream words(line);
    for (std::string function; words >> function;)
      if (!lists.functions[dll].insert(function).second)
        throw ListError("reviewed list", number, dll + " " + function + " appears twice");
  });
  ForEachLine(newerText, [&](const std::string& line, int number) {
    std::istringstream words(line);
    std::string newerDll, function, cause;
    words >> newerDll >> function;
    std::getline(words >> std::ws, cause);
    if (cause.empty()) throw ListError("newer list", number, "expected DLL FUNCTION CAUSE");
    newerDll = Upper(newerDll);
    const auto reviewed = lists.functions.find(newerDll);
    if (function == "*" ? reviewed != lists.functions.end()
                        : reviewed != lists.functions.end() && reviewed->second.count(function))
      throw ListError("newer list", number,
                      (function == "*" ? newerDll : function) + " is also on the reviewed list");
    lists.newer[newerDll][function] = cause;
  });
  return lists;
}

std::vector<std::string> CheckForXp(const PeImage& image, const XpLists& lists) {
  std::vector<std::string> newer, others;
  if (image.machine != kMachineI386 || image.plus) {
    std::ostringstream why;
    why << "not a 32-bit x86 program (machine 0x" << std::hex << image.machine << ")";
    others.push_back(why.str());
  }
  if (image.subsystemMajor > 5 || (image.subsystemMajor == 5 && image.subsystemMinor > 1))
    others.push_back("subsystem version " + std::to_string(image.subsystemMajor) + "." +
                     std::to_string(image.subsystemMinor) +
                     ": XP's loader takes images of version 5.1 or lower");
  if (image.delayImports)
    others.push_back("delay-load imports, which this check does not read: review them by hand");
  for (const PeDll& dll : image.dlls) {
    const std::string name = Upper(dll.name);
    const auto known = lists.newer.find(name);
    const auto cause = [&](const std::string& function) -> const std::string* {
      if (known == lists.newer.end()) return nullptr;
      const auto it = known->second.find(function);
      return it == known->second.end() ? nullptr : &it->second;
    };
    if (!lists.dlls.count(name)) {
      if (const std::string* why = cause("*"))
        newer.push_back(dll.name + ": not on Windows XP SP3 (" + *why + ")");
      else
        others.push_back(dll.name + ": not a system DLL of Windows XP SP3, or not reviewed");
      continue;
    }
    const auto& reviewed = lists.functions.at(name);
    for (const PeImport& import : dll.imports) {
      if (import.function.empty()) {
        others.push_back(dll.name + " ordinal " + std::to_string(import.ordinal) +
                         ": imported by number, so it cannot be reviewed by name");
      } else if (const std::string* why = cause(import.function)) {
        newer.push_back(dll.name + " " + import.function + ": not on Windows XP SP3 (" + *why +
                        ")");
      } else if (!reviewed.count(import.function)) {
        others.push_back(dll.name + " " + import.function + ": not reviewed for Windows XP SP3");
      }
    }
  }
  newer.insert(newer.end(), others.begin(), others.end());
  return newer;
}

}  // namespace xpcheck
