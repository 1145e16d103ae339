#include "app/core/options.h"

#include "platform/format.h"
#include "platform/text.h"

namespace app {

const char* const kOptionsHelp =
    "Install [/S] [/IGNOREERRORS] [/LOG=path] [/DIR=folder] [/DBAPIDIR=folder]\r\n"
    "Uninstall /UNINSTALL [/S] [/LOG=path]\r\n"
    "\r\n"
    "/S\tsilent: no window and no messages; a failed operation ends the run, a missing "
    "disk fails it\r\n"
    "/IGNOREERRORS\tcarry on after failed operations, as Ignore does\r\n"
    "/LOG=path\tappend a log of the run to the file\r\n"
    "/DIR=folder\tinstall the application into the folder instead of C:\\QEN2005\r\n"
    "/DBAPIDIR=folder\tinstall the database engine into the folder\r\n"
    "/UNINSTALL\tremove the installation this program belongs to\r\n"
    "/? or /HELP\tthis list\r\n"
    "\r\n"
    "Exit codes: 0 completed (removed), 1 canceled or failed, 2 refused (a database engine "
    "is installed), 3 start-up failed (the uninstall record missing or damaged), 87 invalid "
    "option.";

std::string UnknownOptionMessage(const std::string& argument) {
  return platform::Fmt("Unknown option: %s\r\n\r\n%s", argument, kOptionsHelp);
}

namespace {

// The value of `arg` when it is `/NAME=value` (name in any case); false otherwise.
bool ValueOf(const std::string& arg, const std::string& name, std::string& value) {
  const std::string head = "/" + name + "=";
  if (arg.size() < head.size() || platform::UpperAscii(arg.substr(0, head.size())) != head)
    return false;
  value = arg.substr(head.size());
  return true;
}

}  // namespace

TInstallOptions ParseOptions(const std::vector<std::string>& args) {
  TInstallOptions o;
  for (const std::string& arg : args) {
    const std::string upper = platform::UpperAscii(arg);
    std::string value;
    bool understood = true;
    if (upper == "/S")
      o.Silent = true;
    else if (upper == "/IGNOREERRORS")
      o.IgnoreErrors = true;
    else if (upper == "/?" || upper == "/HELP")
      o.Help = true;
    else if (upper == "/UNINSTALL")
      o.Uninstall = true;
    else if (ValueOf(arg, "RECORD", value))
      understood = !(o.RecordPath = value).empty();
    else if (ValueOf(arg, "LOG", value))
      understood = !(o.LogPath = value).empty();
    else if (ValueOf(arg, "DIR", value))
      understood = !(o.TargetDir = value).empty();
    else if (ValueOf(arg, "DBAPIDIR", value))
      understood = !(o.DbapiDir = value).empty();
    else
      understood = false;
    if (!understood && o.Unknown.empty()) o.Unknown = arg;
  }
  return o;
}

}  // namespace app
