// The entry in the system's list of installed software.
#include <windows.h>

#include <cstring>

#include "core/bounded_string.h"
#include "core/install_log.h"
#include "core/installer_state.h"
#include "shell/associations.h"

namespace {

constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\MoraLUME";
constexpr char kDisplayName[] = "MoraLUME Viewer";
constexpr char kUninstallArguments[] = " . -u";
// The main program's switch that uninstalls without asking, for deployment
// tools that must not wait for an answer.
constexpr char kQuietSwitch[] = " -s";

bool SetStringValue(HKEY key, const char *name, const char *text) {
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text),
                        static_cast<DWORD>(strlen(text) + 1)) == ERROR_SUCCESS;
}

}  // namespace

void WriteUninstallEntry() {
  // An entry whose command would be cut could not uninstall: none then.
  char uninstallString[kPathSize] = "";
  if (!AppendProgramPath(uninstallString, sizeof uninstallString, g_mainProgramPath) ||
      !AppendString(uninstallString, sizeof uninstallString, kUninstallArguments)) {
    LogLine("Uninstall entry: none, the program's path is too long for its command");
    return;
  }
  // Sized so that the quiet command fits whenever the plain one does.
  char quietUninstallString[kPathSize + sizeof kQuietSwitch];
  CopyString(quietUninstallString, sizeof quietUninstallString, uninstallString);
  AppendString(quietUninstallString, sizeof quietUninstallString, kQuietSwitch);

  HKEY key;
  if (RegCreateKeyA(HKEY_LOCAL_MACHINE, kUninstallKey, &key) != ERROR_SUCCESS) {
    LogLine("Uninstall entry: HKEY_LOCAL_MACHINE\\%s could not be made", kUninstallKey);
    return;
  }
  bool written = SetStringValue(key, "DisplayName", kDisplayName) &&
                 SetStringValue(key, "UninstallString", uninstallString) &&
                 SetStringValue(key, "QuietUninstallString", quietUninstallString);
  RegCloseKey(key);
  LogLine("Uninstall entry HKEY_LOCAL_MACHINE\\%s: UninstallString %s, QuietUninstallString %s%s", kUninstallKey,
          uninstallString, quietUninstallString, written ? "" : ", not all written");
}
