// The installer's command line. Without arguments the program is the interactive
// installer; with them it can run silently, keep a log, and install into chosen folders.
// Options are Windows style (a leading `/`), in any letter case and any order:
//   /S              silent: no window, no message box; fixed answers to every question
//   /IGNOREERRORS   failed operations are answered Ignore instead of Abort
//   /LOG=path       append a log of the run to the file
//   /DIR=folder     the application folder instead of C:\QEN2005
//   /DBAPIDIR=folder  the database engine's folder instead of the discovered one
//   /? or /HELP     the list of options
//   /UNINSTALL      remove the installation (the uninstaller copied beside it runs so)
#pragma once

#include <string>
#include <vector>

namespace app {

struct TInstallOptions {
  bool Silent = false;
  bool IgnoreErrors = false;
  bool Help = false;
  std::string LogPath;     // empty: no log
  std::string TargetDir;   // empty: C:\QEN2005
  std::string DbapiDir;    // empty: the engine's discovered folder
  bool Uninstall = false;  // remove the installation instead
  // The uninstall record to act on; given by an uninstaller to the copy of itself it
  // runs from the temporary folder. Empty: the record beside the program.
  std::string RecordPath;
  // The first argument that is not an option of the program, or an option without the
  // value it needs; empty when every argument was understood.
  std::string Unknown;
};

TInstallOptions ParseOptions(const std::vector<std::string>& args);

// The text of the help message.
extern const char* const kOptionsHelp;
// The message for an argument that is not understood.
std::string UnknownOptionMessage(const std::string& argument);

}  // namespace app
