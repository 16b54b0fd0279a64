// The DLL search order calls, found through kernel32 as on Windows.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <strings.h>

#include "event_log.h"
#include "win32sim/testapi.h"

namespace {

bool g_defaultDirectoriesAvailable = true;
// Any address will do: it only has to be told apart from null.
char g_kernel32;

}  // namespace

HMODULE WINAPI GetModuleHandleA(LPCSTR name) {
  if (name && (strcasecmp(name, "kernel32.dll") == 0 || strcasecmp(name, "kernel32") == 0))
    return reinterpret_cast<HMODULE>(&g_kernel32);
  return nullptr;
}

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name) {
  if (module != reinterpret_cast<HMODULE>(&g_kernel32) || !name || IS_INTRESOURCE(name)) return nullptr;
  // Through void(*)(), the one function type every other may be cast to.
  if (strcmp(name, "SetDllDirectoryA") == 0)
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&SetDllDirectoryA));
  if (strcmp(name, "SetDefaultDllDirectories") == 0 && g_defaultDirectoriesAvailable)
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&SetDefaultDllDirectories));
  return nullptr;
}

BOOL WINAPI SetDllDirectoryA(LPCSTR directory) {
  sim::LogEvent(std::string("dll-search directory ") + (directory ? directory : "(null)"));
  return TRUE;
}

BOOL WINAPI SetDefaultDllDirectories(DWORD flags) {
  char line[64];
  snprintf(line, sizeof line, "dll-search default %X", static_cast<unsigned>(flags));
  sim::LogEvent(line);
  return TRUE;
}

namespace sim {

void ResetDllSearch() { g_defaultDirectoriesAvailable = true; }
void SetDefaultDllDirectoriesAvailable(bool available) { g_defaultDirectoriesAvailable = available; }

}  // namespace sim
