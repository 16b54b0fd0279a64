#include "shell/installed_records.h"

#include <windows.h>

#include <cstring>

#include "core/bounded_string.h"
#include "core/format_text.h"
#include "core/install_log.h"
#include "core/installer_state.h"
#include "shell/class_keys.h"
#include "shell/class_names.h"

namespace {

HKEY g_openInstalledKey = nullptr;  // set between OpenInstalledRecords and CloseInstalledRecords
bool g_classKeyMade = false;        // by this run's OpenInstalledRecords
bool g_installedKeyMade = false;

bool ClassKeyExists(const char *keyName) {
  HKEY key;
  if (OpenClassKey(keyName, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// The record's key name: the path below the destination with every
// separator a '$'. False when there is none or it does not fit.
bool FormRecordName(const char *fullPath, char *recordName, size_t size) {
  size_t destinationLength = strlen(g_destinationDir);
  // Callers pass paths built on the destination; anything shorter has no
  // relative part and must not be read past its end.
  if (strlen(fullPath) < destinationLength) return false;
  const char *relative = fullPath + destinationLength;
  if (*relative == '\\' || *relative == '/') ++relative;
  // Never record a cut name: it would name a different file.
  if (!CopyString(recordName, size, relative)) return false;
  for (char *c = recordName; *c; ++c)
    if (*c == '\\' || *c == '/') *c = '$';
  return true;
}

void NameKey(char *key, size_t size, const char *keyName) {
  FormatText(key, size, "HKEY_LOCAL_MACHINE\\Software\\Classes\\%s", keyName);
}

}  // namespace

void OpenInstalledRecords() {
  CloseInstalledRecords();
  g_classKeyMade = !ClassKeyExists(kClassName);
  g_installedKeyMade = !ClassKeyExists(kInstalledKey);
  HKEY installed;
  if (CreateClassKey(kInstalledKey, &installed) == ERROR_SUCCESS) g_openInstalledKey = installed;
}

void CloseInstalledRecords() {
  if (g_openInstalledKey) RegCloseKey(g_openInstalledKey);
  g_openInstalledKey = nullptr;
}

bool RecordInstalledFile(const char *fullPath) {
  char recordName[kPathSize];
  if (!FormRecordName(fullPath, recordName, sizeof recordName)) return false;
  HKEY installed = g_openInstalledKey;
  if (!installed && CreateClassKey(kInstalledKey, &installed) != ERROR_SUCCESS) return false;
  HKEY record;
  DWORD disposition = 0;
  bool made = false;
  const char *outcome = "not made";
  if (RegCreateKeyExA(installed, recordName, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &record,
                      &disposition) == ERROR_SUCCESS) {
    made = disposition == REG_CREATED_NEW_KEY;
    if (made) RegSetValueExA(record, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE *>(""), 1);
    RegCloseKey(record);
    outcome = made ? "made" : "there already";
  }
  LogLine("Record HKEY_LOCAL_MACHINE\\Software\\Classes\\%s\\%s: %s", kInstalledKey, recordName, outcome);
  if (installed != g_openInstalledKey) RegCloseKey(installed);
  return made;
}

bool RemoveInstalledRecord(const char *fullPath, char *key, size_t size) {
  char recordName[kPathSize];
  if (!FormRecordName(fullPath, recordName, sizeof recordName)) return true;
  HKEY installed;
  LONG removed = OpenClassKey(kInstalledKey, &installed);
  if (removed == ERROR_SUCCESS) {
    removed = RegDeleteKeyA(installed, recordName);
    RegCloseKey(installed);
  }
  if (removed == ERROR_SUCCESS || removed == ERROR_FILE_NOT_FOUND) return true;
  char keyName[kPathSize * 2];
  FormatText(keyName, sizeof keyName, "%s\\%s", kInstalledKey, recordName);
  NameKey(key, size, keyName);
  return false;
}

bool RemoveRecordKeysMade(char *key, size_t size) {
  CloseInstalledRecords();
  const char *const made[] = {g_installedKeyMade ? kInstalledKey : nullptr, g_classKeyMade ? kClassName : nullptr};
  for (const char *keyName : made) {
    if (!keyName) continue;
    // The key's own parent, and the last level as the subkey to delete.
    char parentName[kPathSize];
    const char *last = strrchr(keyName, '\\');
    HKEY parent;
    LONG removed;
    if (last) {
      CopyString(parentName, sizeof parentName, keyName);
      parentName[last - keyName] = '\0';
      removed = OpenClassKey(parentName, &parent);
    } else {
      removed = RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software\\Classes", &parent);
    }
    if (removed == ERROR_SUCCESS) {
      removed = RegDeleteKeyA(parent, last ? last + 1 : keyName);
      RegCloseKey(parent);
    }
    if (removed != ERROR_SUCCESS && removed != ERROR_FILE_NOT_FOUND) {
      NameKey(key, size, keyName);
      return false;
    }
  }
  ForgetRecordKeysMade();
  return true;
}

void ForgetRecordKeysMade() { g_classKeyMade = g_installedKeyMade = false; }
