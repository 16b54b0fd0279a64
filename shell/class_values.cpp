// Default values of keys of the machine's classes.
#include <windows.h>

#include <cstring>

#include "core/bounded_string.h"
#include "shell/associations.h"
#include "shell/class_keys.h"
#include "shell/class_names.h"

namespace {

constexpr char kMachineClasses[] = "Software\\Classes\\";
// A key name is at most 255 characters, and ours lie one to three deep.
constexpr size_t kClassKeyPathSize = 300;

bool MachineClassPath(const char *keyName, char *path) {
  return CopyString(path, kClassKeyPathSize, kMachineClasses) && AppendString(path, kClassKeyPathSize, keyName);
}

}  // namespace

LONG CreateClassKey(const char *keyName, HKEY *key) {
  char path[kClassKeyPathSize];
  return MachineClassPath(keyName, path) ? RegCreateKeyA(HKEY_LOCAL_MACHINE, path, key) : ERROR_FILENAME_EXCED_RANGE;
}

LONG OpenClassKey(const char *keyName, HKEY *key) {
  char path[kClassKeyPathSize];
  return MachineClassPath(keyName, path) ? RegOpenKeyA(HKEY_LOCAL_MACHINE, path, key) : ERROR_FILENAME_EXCED_RANGE;
}

int SetClassValue(const char *keyName, const char *value) {
  HKEY key;
  if (CreateClassKey(kClassName, &key) == ERROR_SUCCESS) {
    RegSetValueA(key, nullptr, REG_SZ, kClassName, sizeof kClassName);
    RegCloseKey(key);
  }
  if (CreateClassKey(keyName, &key) != ERROR_SUCCESS) return -1;
  // An existing key may open and still refuse the value: only a written
  // value counts, since a backup that was never written must not let the
  // extension be re-associated.
  LONG written = RegSetValueA(key, nullptr, REG_SZ, value, static_cast<DWORD>(strlen(value) + 1));
  RegCloseKey(key);
  return written == ERROR_SUCCESS ? 0 : -1;
}

int GetClassValue(const char *keyName, char *buffer, LONG bufferSize) {
  if (bufferSize <= 0) return -2;
  HKEY key;
  if (OpenClassKey(keyName, &key) != ERROR_SUCCESS) return -1;
  LONG size = bufferSize;
  LONG read = RegQueryValueA(key, nullptr, buffer, &size);
  RegCloseKey(key);
  if (read == ERROR_SUCCESS && size > 0 && size <= bufferSize && buffer[size - 1] == '\0') return 0;
  if (read == ERROR_SUCCESS && size >= 0 && size < bufferSize) {
    buffer[size] = '\0';  // stored without its terminator
    return 0;
  }
  buffer[0] = '\0';
  // A value that does not fit is never handed on cut; any other failed read
  // counts as no value.
  return read == ERROR_MORE_DATA || read == ERROR_SUCCESS ? -2 : 0;
}

LONG GetClassValueSize(const char *keyName) {
  HKEY key;
  if (OpenClassKey(keyName, &key) != ERROR_SUCCESS) return -1;
  LONG size = 0;
  LONG read = RegQueryValueA(key, nullptr, nullptr, &size);
  RegCloseKey(key);
  return read == ERROR_SUCCESS && size > 0 ? size : 1;
}
