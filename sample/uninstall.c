#include "uninstall.h"

#include <windows.h>

#include "record_path.h"
#include "remove_classes.h"
#include "remove_files.h"
#include "remove_group.h"

static const char kCaption[] = "Uninstall MoraLUME";

/* `before`, the program's folder, then `after`, in a message box. */
static int Say(const char *before, const char *programPath, const char *after, UINT style) {
  char text[MAX_PATH + 256] = "";
  size_t folderLength = FolderLength(programPath);
  char folder[MAX_PATH];
  if (folderLength >= sizeof folder) folderLength = 0;
  lstrcpynA(folder, programPath, (int)folderLength + 1);
  if (!AppendText(text, sizeof text, before) || !AppendText(text, sizeof text, folder) ||
      !AppendText(text, sizeof text, after))
    text[0] = '\0';
  return MessageBoxA(NULL, text, kCaption, style);
}

enum UninstallResult Uninstall(const char *programPath, const char *logPath, int silent) {
  HKEY records;
  int left;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, RECORDS_KEY, 0, KEY_READ, &records) != ERROR_SUCCESS) records = NULL;
  if (!records || !IsRecordedProgram(records, programPath)) {
    if (records) RegCloseKey(records);
    if (!silent) Say("No installation of MoraLUME is recorded in\n\n", programPath, "\n\nNothing was removed.",
                     MB_OK | MB_ICONERROR);
    return UNINSTALL_NOT_RECORDED;
  }
  if (!silent && Say("Remove MoraLUME and everything its installation put in\n\n", programPath,
                     "\n\nand into the registry?", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES) {
    RegCloseKey(records);
    return UNINSTALL_DECLINED;
  }
  left = RemoveRecordedFiles(records, programPath);
  RegCloseKey(records);
  left += RemoveClassesAndEntry();
  RemoveProgramGroup(); /* best effort: the user may have deleted the group already */
  left += ScheduleOwnRemoval(programPath, logPath);
  if (!silent)
    Say(left ? "MoraLUME has been removed, but some of its files or settings could not be. What is left is in\n\n"
             : "MoraLUME has been removed. The program itself and its folder\n\n",
        programPath, left ? "\n\nand the registry." : "\n\ngo when Windows next starts.",
        MB_OK | (left ? MB_ICONWARNING : MB_ICONINFORMATION));
  return left ? UNINSTALL_PARTLY : UNINSTALL_DONE;
}
