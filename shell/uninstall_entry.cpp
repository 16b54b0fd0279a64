// The entry in the system's list of installed software.
#include <windows.h>

#include <cstring>

#include "core/bounded_string.h"
#include "core/installer_state.h"
#include "shell/associations.h"

namespace {

constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\MoraLUME";
constexpr char kDisplayName[] = "MoraLUME Viewer";
constexpr char kUninstallArguments[] = " . -u";

}  // namespace

void WriteUninstallEntry() {
  // An entry whose command would be cut could not uninstall: none then.
  char uninstallString[kPathSize] = "";
  if (!AppendProgramPath(uninstallString, sizeof uninstallString, g_mainProgramPath) ||
      !AppendString(uninstallString, sizeof uninstallString, kUninstallArguments))
    return;

  HKEY key;
  if (RegCreateKeyA(HKEY_LOCAL_MACHINE, kUninstallKey, &key) != ERROR_SUCCESS) return;
  RegSetValueExA(key, "DisplayName", 0, REG_SZ, reinterpret_cast<const BYTE *>(kDisplayName), sizeof kDisplayName);
  RegSetValueExA(key, "UninstallString", 0, REG_SZ, reinterpret_cast<const BYTE *>(uninstallString),
                 static_cast<DWORD>(strlen(uninstallString) + 1));
  RegCloseKey(key);
}
