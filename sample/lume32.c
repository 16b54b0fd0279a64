/* Stand-in for the MoraLUME viewer in the sample payload: each start appends
   its full command line as one line to lume32.log beside the program, then
   exits at once, so that an installation's "-Q" start and final start can be
   seen afterwards. */
#include <windows.h>

static void AppendLine(HANDLE file, const char *text) {
  DWORD written;
  WriteFile(file, text, (DWORD)lstrlenA(text), &written, NULL);
  WriteFile(file, "\r\n", 2, &written, NULL);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR arguments, int show) {
  char path[MAX_PATH + 16];
  DWORD length, cut;
  HANDLE log;
  (void)instance;
  (void)previous;
  (void)arguments;
  (void)show;

  length = GetModuleFileNameA(NULL, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 0;
  cut = length;
  while (cut > 0 && path[cut - 1] != '\\' && path[cut - 1] != '/' && path[cut - 1] != ':') --cut;
  lstrcpyA(path + cut, "lume32.log");

  log = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                    FILE_ATTRIBUTE_NORMAL, NULL);
  if (log == INVALID_HANDLE_VALUE) return 0;
  AppendLine(log, GetCommandLineA());
  CloseHandle(log);
  return 0;
}
