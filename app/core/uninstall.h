// The uninstaller: Install.exe copied into the application folder as Uninstall.exe and
// started with /UNINSTALL (by the system's list of installed programs, or a script with
// /S). It reads the uninstall record beside it; a record that is missing or damaged
// changes nothing (exit code 3). Otherwise it copies itself to the temporary folder, runs
// the copy with /RECORD= naming the record, waits for it and ends with its exit code: the
// copy does the work, so that the program in the folder being removed can go too (a
// running program can be renamed away on Windows, not deleted; the copy moves it into the
// temporary folder and has it deleted at the next restart, and the program that started
// it deletes the copy once it has ended).
//
// The work: one question ("Remove QEN 2005 and all of its components?"; under /S none),
// the installer's window with its gauge while the steps are undone (install/uninstaller.h),
// the uninstaller, the record and the folders that are empty then removed, and a final
// message naming what was kept. Exit codes: 0 removed (also when changed files were
// kept), 1 canceled or not everything could be removed, 3 the record missing or damaged.
#pragma once

#include "app/core/installer_observer.h"
#include "app/core/options.h"
#include "app/core/program.h"
#include "app/core/uninstall_messages.h"

namespace app {

int RunUninstaller(const TInstallOptions& options, TWindowRunner& window,
                   TInstallerObserver& observer);

}  // namespace app
