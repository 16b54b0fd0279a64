#include "core/installation.h"

#include <windows.h>

#include "core/bounded_string.h"
#include "core/error_box.h"
#include "core/format_text.h"
#include "core/install_log.h"
#include "core/installed_options.h"
#include "core/installer_state.h"
#include "core/messages.h"
#include "core/options.h"
#include "core/single_run.h"
#include "payload/copy_dialog.h"
#include "payload/copy_journal.h"
#include "payload/extraction.h"
#include "payload/destination_path.h"
#include "payload/payload_reader.h"
#include "shell/associations.h"
#include "shell/program_group.h"
#include "ui/assoc_dialog.h"
#include "ui/complete_dialog.h"
#include "ui/dialog_ids.h"
#include "ui/license_dialog.h"
#include "ui/path_dialog.h"
#include "ui/run_dialog.h"

namespace {

bool IsSilent() { return FindOption("sSilent") != nullptr; }

LONG Show(WORD templateId, DLGPROC procedure) { return RunDialog(g_instance, templateId, nullptr, procedure); }

// The message for a payload that could not be opened, or null.
const char *OpenFailureMessage(PayloadOpenResult result) {
  switch (result) {
    case kPayloadOpened:
      return nullptr;
    case kPayloadNotFound:
      return "dataNotFound";
    case kPayloadOutOfMemory:
      return "noMem";
    case kPayloadCorrupt:
      break;
  }
  return "corData";
}

// The dialogs up to the copy, and the copy itself: kExitCompleted when every
// file is in place, else how the run ends.
int ChooseAndCopy(LONG *checklistResult) {
  if (!IsSilent() && (Show(kPathDialogId, PathDialogProc) != 0 || Show(kLicenseDialogId, LicenseDialogProc) != 0))
    return kExitCancelled;
  *checklistResult = Show(kAssocDialogId, AssocDialogProc);
  if (*checklistResult < 0) return kExitCancelled;
  for (int made; (made = CreateDestinationPath()) != kDestinationCreated;) {
    // Too little room: the full disk's message, and nothing was written.
    if (made == kDestinationNoRoom) {
      ShowErrorMessage("errDest2");
      return kExitNotBegun;
    }
    ShowErrorMessage("noCreatePath");
    // Nobody to answer the path dialog: the run ends, and a refused
    // destination has left nothing behind.
    if (g_noMessageBoxes) return kExitNotBegun;
    if (Show(kPathDialogId, PathDialogProc) != 0) return kExitCancelled;
  }
  if (Show(kCopyDialogId, CopyDialogProc) == 0) return kExitCompleted;
  if (g_extractionBegun) return g_copyRestored ? kExitFailed : kExitNotRestored;
  // Closed before the first file: only the destination's folders to take away.
  char ignored[kPathSize];
  UndoCopy(ignored, sizeof ignored);
  return kExitCancelled;
}

// Starts the main program by its short path, or its long one when there is
// no short form that fits.
void LaunchMainProgram() {
  if (g_mainProgramPath[0] == '\0') return;  // an empty archive installed no program
  char shortPath[kPathSize];
  DWORD length = GetShortPathNameA(g_mainProgramPath, shortPath, sizeof shortPath);
  if (length == 0 || length >= sizeof shortPath) CopyString(shortPath, sizeof shortPath, g_mainProgramPath);
  // Without short names on the volume the path may still hold a blank.
  char launch[kPathSize] = "";
  if (AppendProgramPath(launch, sizeof launch, shortPath)) LogProgramStart(launch, WinExec(launch, SW_SHOWNORMAL));
}

// What the run was given: its command line, the options and where they came
// from, and the language.
void LogStart(bool optionsRead) {
  LogLine("MoraLUME Setup started, command line: %s", g_commandLine);
  char optionsPath[kPathSize];
  FormOptionsFilePath(optionsPath);
  if (optionsRead)
    LogLine("Options read from %s: %d", optionsPath, static_cast<int>(g_optionCount));
  else
    LogLine("Options: none, no file at %s", optionsPath);
  for (LONG i = 0; i < g_optionCount; ++i) LogLine("Option %s=%s", g_optionNames[i], g_optionValues[i]);
  const char letters[] = "EGFSIPD";
  char letter[2] = {g_languageIndex >= 0 && g_languageIndex < kLanguageCount ? letters[g_languageIndex] : '?', '\0'};
  LogLine("Language: %s%s", letter, g_languageGiven ? ", as the command line says" : "");
  LogLine("Mode: %s, %s", IsSilent() ? "silent" : "interactive",
          g_noMessageBoxes ? "no message boxes" : "messages in boxes");
}

// Everything from the payload's opening on, while this run holds the mark.
int InstallFromPayload() {
  if (const char *message = OpenFailureMessage(OpenPayload(g_instance))) {
    ShowErrorMessage(message);
    return kExitNotBegun;
  }
  LONG checklistResult = 0;
  int copied = ChooseAndCopy(&checklistResult);
  ClosePayload();
  if (copied != kExitCompleted) return copied;

  CreateProgramGroup();
  AssociateFileTypes(checklistResult);
  WriteUninstallEntry();
  RunProgramWithQ();
  if (g_languageIndex != 0) AddLanguageOption();
  WriteInstalledOptions();
  if (!IsSilent() && Show(kCompleteDialogId, CompleteDialogProc) != 0) {
    LogLine("Program not started: the user chose not to");
    return kExitCompleted;
  }
  ReleaseOptionsList();
  // Nobody is there to see it, and it would run with the installer's rights.
  if (g_noMessageBoxes)
    LogLine("Program not started: nobody to see it");
  else
    LaunchMainProgram();
  return kExitCompleted;
}

}  // namespace

int RunInstallation() {
  bool optionsRead = ReadInstallerOptions();
  // Like "sSilent", the option counts by its presence alone.
  if (FindOption("sNoMsgBox")) g_noMessageBoxes = 1;
  AutoSelectLanguage();  // so that even the message of a second run is in the run's language
  // A log asked for and not made: an unattended run must not go on unrecorded.
  char logPath[kPathSize];
  if (!OpenInstallLog(logPath)) {
    char text[kPathSize * 2];
    FormatText(text, sizeof text, GetMessageText("noLog"), logPath);
    ShowErrorText(text);
    return kExitNotBegun;
  }
  LogStart(optionsRead);
  int result = kExitNotBegun;
  HANDLE singleRun = ClaimSingleRun();
  if (singleRun) {
    result = InstallFromPayload();
    CloseHandle(singleRun);
  } else {
    ShowErrorMessage("running");
  }
  CloseInstallLog(result);
  return result;
}
