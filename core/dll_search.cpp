#include "core/dll_search.h"

#include <windows.h>

namespace {

typedef BOOL(WINAPI *SetDefaultDllDirectoriesProc)(DWORD);
typedef BOOL(WINAPI *SetDllDirectoryProc)(LPCSTR);

// Looked up rather than imported: older systems lack these, and a missing
// import would keep the installer from starting at all.
template <typename Procedure>
Procedure Kernel32Procedure(const char *name) {
  HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
  FARPROC found = kernel32 ? GetProcAddress(kernel32, name) : nullptr;
  return reinterpret_cast<Procedure>(reinterpret_cast<void (*)()>(found));
}

}  // namespace

void RestrictDllSearch() {
  if (auto setDefault = Kernel32Procedure<SetDefaultDllDirectoriesProc>("SetDefaultDllDirectories"))
    setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (auto setDirectory = Kernel32Procedure<SetDllDirectoryProc>("SetDllDirectoryA")) setDirectory("");
}
