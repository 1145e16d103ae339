// The scenarios of an installation's removal that the native lifetime table
// (app/uninstall_test.cpp) and the one under Wine (e2e/removal_e2e_test.cpp) both run,
// as one table: what happens to the machine before the installation and between it and
// the silent uninstall, how each ends, and what must be left. Each side makes the changes
// and the checks on its own machine (RemovalMachine: the native program with its
// doubles, or the real Install.exe under Wine); the rows are the same.
#pragma once

#include <ostream>

namespace testing_support {

class RemovalMachine {
 public:
  virtual ~RemovalMachine() = default;
  // ---- changes ----
  virtual void HideDiskTwo() = 0;           // before the installation: disk 2 is not there
  virtual void ChangeTable() = 0;           // the customer's filled-in table was changed
  virtual void CountEngineElsewhere() = 0;  // another product counts each engine file too
  virtual void DamageRecord() = 0;          // one bit of the uninstall record flipped
  // ---- what must be left ----
  // Nothing of the installation: files, folders, values, counts, the group, the entry.
  virtual void ExpectNothingLeft() = 0;
  // The changed table, with its changes, and nothing else.
  virtual void ExpectOnlyTheChangedTable() = 0;
  // The engine's files, counted once less, and its values; nothing else.
  virtual void ExpectTheEngineKept() = 0;
  // Everything as it was installed, the entry too.
  virtual void ExpectStillInstalled() = 0;
  // The installer runs again (the medium refuses no more) and installs.
  virtual void ExpectItInstallsAgain() = 0;
};

enum class Change { None, DiskTwoMissing, TableChanged, EngineCountedElsewhere, RecordDamaged };
enum class Left { Nothing, TheChangedTable, TheEngine, Everything };

struct RemovalScenario {
  const char* name;
  Change beforeInstall = Change::None;
  int installed = 0;  // the installation's exit code
  Change beforeUninstall = Change::None;
  int exitCode = 0;  // the uninstall's
  Left left = Left::Nothing;
  bool installsAgain = false;
};

inline const RemovalScenario kRemovalScenarios[] = {
    {.name = "EverythingGoesAndTheInstallerRunsAgain", .installsAgain = true},
    {.name = "AChangedTableIsKept",
     .beforeUninstall = Change::TableChanged,
     .left = Left::TheChangedTable},
    {.name = "AnotherProductKeepsTheEngine",
     .beforeUninstall = Change::EngineCountedElsewhere,
     .left = Left::TheEngine},
    {.name = "ARunCanceledAtDiskTwoIsUndone",
     .beforeInstall = Change::DiskTwoMissing,
     .installed = 1},
    {.name = "ADamagedRecordChangesNothing",
     .beforeUninstall = Change::RecordDamaged,
     .exitCode = 3,
     .left = Left::Everything},
};

inline void PrintTo(const RemovalScenario& scenario, std::ostream* os) { *os << scenario.name; }

inline void MakeChange(RemovalMachine& machine, Change change) {
  switch (change) {
    case Change::None:
      break;
    case Change::DiskTwoMissing:
      machine.HideDiskTwo();
      break;
    case Change::TableChanged:
      machine.ChangeTable();
      break;
    case Change::EngineCountedElsewhere:
      machine.CountEngineElsewhere();
      break;
    case Change::RecordDamaged:
      machine.DamageRecord();
      break;
  }
}

inline void ExpectLeft(RemovalMachine& machine, const RemovalScenario& scenario) {
  switch (scenario.left) {
    case Left::Nothing:
      machine.ExpectNothingLeft();
      break;
    case Left::TheChangedTable:
      machine.ExpectOnlyTheChangedTable();
      break;
    case Left::TheEngine:
      machine.ExpectTheEngineKept();
      break;
    case Left::Everything:
      machine.ExpectStillInstalled();
      break;
  }
  if (scenario.installsAgain) machine.ExpectItInstallsAgain();
}

}  // namespace testing_support
