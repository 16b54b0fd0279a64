#include "shell/installed_records.h"

#include <windows.h>

#include <cstring>

#include "core/bounded_string.h"
#include "core/installer_state.h"
#include "shell/class_keys.h"
#include "shell/class_names.h"

namespace {
HKEY g_openInstalledKey = nullptr;  // set between OpenInstalledRecords and CloseInstalledRecords
}  // namespace

void OpenInstalledRecords() {
  CloseInstalledRecords();
  HKEY installed;
  if (CreateClassKey(kInstalledKey, &installed) == ERROR_SUCCESS) g_openInstalledKey = installed;
}

void CloseInstalledRecords() {
  if (g_openInstalledKey) RegCloseKey(g_openInstalledKey);
  g_openInstalledKey = nullptr;
}

void RecordInstalledFile(const char *fullPath) {
  size_t destinationLength = strlen(g_destinationDir);
  // Callers pass paths built on the destination; anything shorter has no
  // relative part and must not be read past its end.
  if (strlen(fullPath) < destinationLength) return;
  const char *relative = fullPath + destinationLength;
  if (*relative == '\\' || *relative == '/') ++relative;

  // Never record a cut name: it would name a different file.
  char recordName[kPathSize];
  if (!CopyString(recordName, sizeof recordName, relative)) return;
  for (char *c = recordName; *c; ++c)
    if (*c == '\\' || *c == '/') *c = '$';

  HKEY installed = g_openInstalledKey;
  if (!installed && CreateClassKey(kInstalledKey, &installed) != ERROR_SUCCESS) return;
  RegSetValueA(installed, recordName, REG_SZ, "", 1);
  if (installed != g_openInstalledKey) RegCloseKey(installed);
}
