/* Stand-in for the MoraLUME viewer in the sample payload: each start appends
   its full command line as one line to lume32.log beside the program, so that
   an installation's "-Q" start and final start can be seen afterwards; then
   it exits at once, unless started with "-u" (the installer's uninstall
   command, "lume32.exe . -u"): then it uninstalls, asking first unless "-s"
   is given too, and exits with the code of uninstall.h. The log stays until
   the program itself goes, at the next start of Windows. */
#include <windows.h>

#include "record_path.h"
#include "switches.h"
#include "uninstall.h"

static void AppendLine(HANDLE file, const char *text) {
  DWORD written;
  WriteFile(file, text, (DWORD)lstrlenA(text), &written, NULL);
  WriteFile(file, "\r\n", 2, &written, NULL);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR arguments, int show) {
  char path[MAX_PATH], program[MAX_PATH], log[MAX_PATH];
  DWORD length;
  HANDLE file;
  (void)instance;
  (void)previous;
  (void)show;

  length = GetModuleFileNameA(NULL, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 0;
  /* The long form: the records and the delayed deletes name it, whichever
     form the program was started by. */
  length = GetLongPathNameA(path, program, sizeof program);
  if (length == 0 || length >= sizeof program) lstrcpyA(program, path);
  log[0] = '\0';
  if (!AppendText(log, sizeof log, program)) return 0;
  log[FolderLength(log)] = '\0';
  if (!AppendText(log, sizeof log, "lume32.log")) return 0;

  file = CreateFileA(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                     FILE_ATTRIBUTE_NORMAL, NULL);
  if (file != INVALID_HANDLE_VALUE) {
    AppendLine(file, GetCommandLineA());
    CloseHandle(file);
  }
  if (!HasSwitch(arguments, "-u")) return 0;
  return (int)Uninstall(program, log, HasSwitch(arguments, "-s"));
}
