/*
 * A DLL planted beside an installer under the name of one that Windows loads by name. Loaded
 * into a process, it appends that process's path to "<its own path>.loaded", so a test sees
 * who picked it up. It exports nothing: a process that loads it must cope without it.
 */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
  char marker[MAX_PATH + 8];
  char host[MAX_PATH];
  DWORD length, hostLength, written;
  HANDLE file;
  (void)reserved;
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  length = GetModuleFileNameA(self, marker, MAX_PATH);
  hostLength = GetModuleFileNameA(NULL, host, MAX_PATH);
  if (length == 0 || length >= MAX_PATH || hostLength >= MAX_PATH) return TRUE;
  lstrcpyA(marker + length, ".loaded");
  file = CreateFileA(marker, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                     FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) return TRUE;
  WriteFile(file, host, hostLength, &written, NULL);
  WriteFile(file, "\r\n", 2, &written, NULL);
  CloseHandle(file);
  return TRUE;
}
