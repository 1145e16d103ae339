// "program <path>": the running program copied into the application folder as its
// uninstaller (InstallRecord::CopyProgram, run by the script's record item). Undone last,
// after the record's other steps (TUninstaller::Finish): the file may be the program
// that runs the uninstall, which Windows refuses to delete while it runs; then it is
// renamed into the temporary folder and deleted at the next restart.
#pragma once

#include <string>

namespace install {

class UndoContext;

struct ProgramStep {
  std::string Path;
  friend bool operator==(const ProgramStep&, const ProgramStep&) = default;
};

void Undo(const ProgramStep& step, UndoContext& context);

}  // namespace install
