// Every text the uninstaller shows or logs, defined once; the steps' own texts are the
// install engine's (install/install_messages.h). Texts with %s or %d are filled by
// platform::Fmt. What it shows is in Portuguese, in Windows-1252, like the installer's
// window; what it logs is in English, like the rest of the log.
#pragma once

namespace app {

// Shown.
inline constexpr const char* kConfirmRemove = "Remover o QEN 2005 e todos os seus componentes?";
inline constexpr const char* kUninstallCaption =
    "Remo\xe7\xe3o do m\xf3"
    "dulo quarvel";
inline constexpr const char* kRemoveButton = "&Remover o Sistema";
inline constexpr const char* kExitRemovalButton = "&Sair da remo\xe7\xe3o";
inline constexpr const char* kRecordMissing =
    "O registro de desinstala\xe7\xe3o %s n\xe3o foi encontrado: nada foi removido.";
inline constexpr const char* kRecordDamaged =
    "O registro de desinstala\xe7\xe3o %s est\xe1 danificado (%s): nada foi removido.";
inline constexpr const char* kRemoved = "O QEN 2005 foi removido.";
inline constexpr const char* kRemovedAtRestart =
    "O QEN 2005 foi removido. Os arquivos em uso ser\xe3o removidos quando o computador for "
    "reiniciado.";
inline constexpr const char* kNotRemoved =
    "O QEN 2005 n\xe3o p\xf4"
    "de ser removido por completo.";
inline constexpr const char* kKeptChanged = "Mantidos porque foram alterados:";
inline constexpr const char* kKeptInUse = "Mantidos porque outro programa os usa:";
inline constexpr const char* kPutBack = "Restaurados como estavam antes da instala\xe7\xe3o:";
inline constexpr const char* kAtRestart = "Removidos quando o computador for reiniciado:";
inline constexpr const char* kCouldNotRemove = "N\xe3o puderam ser removidos:";

// Logged.
inline constexpr const char* kNoteRecordRead = "uninstall record: %s, %d steps%s";
inline constexpr const char* kNoteCutShort = " (its last step, cut short by a crash, left out)";
inline constexpr const char* kNoteRunningCopy = "running the uninstaller from a copy: %s";
inline constexpr const char* kNoteCopyEnded = "the copy ended with exit code %d";
inline constexpr const char* kNoteNoCopy =
    "the uninstaller works from where it is: no copy in a folder of its own (%s)";
inline constexpr const char* kCopyNotStarted = "it could not be started";
inline constexpr const char* kNoTempFolder =
    "no folder of its own can be made in the temporary folder %s";
inline constexpr const char* kNoteDeclined = "nothing removed: the removal was declined";
inline constexpr const char* kNoteCopyAtRestart =
    "the copy %s could not be deleted: it is deleted at the next restart";

}  // namespace app
