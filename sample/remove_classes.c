#include "remove_classes.h"

#include "record_path.h"

static const char *const kExtensions[] = {".gif", ".jpg", ".pcx", ".png", ".bmp",
                                          ".rle", ".dib", ".tif", ".tga", ".pcd"};
static const char kClassKey[] = "MoraLUME_TOVA";
/* What the installer writes into an extension: its class in another case. */
static const char kAssociation[] = "MoraLume_TOVA";
static const char kBackupPrefix[] = "MoraLUME_TOVA\\license\\ins";
static const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\MoraLUME";

/* A class name is a key name: at most 255 characters. */
#define CLASS_SIZE 256
/* Our keys are three deep; anything deeper is not ours to walk. */
#define KEY_DEPTH_MAX 8

enum ReadResult { READ_VALUE, READ_NO_KEY, READ_UNUSABLE };

/* The default value of HKCR\keyName, "" when the key has none. */
static enum ReadResult ReadClassValue(const char *keyName, char *value, DWORD size) {
  HKEY key;
  DWORD type = REG_NONE, length = size - 1;
  LONG result;
  value[0] = '\0';
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, keyName, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return READ_NO_KEY;
  result = RegQueryValueExA(key, NULL, NULL, &type, (BYTE *)value, &length);
  RegCloseKey(key);
  if (result == ERROR_FILE_NOT_FOUND) return READ_VALUE;
  if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
    value[0] = '\0';
    return READ_UNUSABLE;
  }
  value[length] = '\0'; /* for a value stored without its terminator */
  return READ_VALUE;
}

/* Takes the default value the installer set off the extension, and the key
   too when nothing else is left in it. 0 when done. */
static int ClearExtension(const char *extension) {
  HKEY key;
  DWORD subkeys = 1, values = 1;
  LONG cleared;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, extension, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key) != ERROR_SUCCESS)
    return 1;
  cleared = RegDeleteValueA(key, "");
  if (RegQueryInfoKeyA(key, NULL, NULL, NULL, &subkeys, NULL, NULL, &values, NULL, NULL, NULL, NULL) !=
      ERROR_SUCCESS)
    subkeys = values = 1;
  RegCloseKey(key);
  if (cleared != ERROR_SUCCESS) return 1;
  if (subkeys == 0 && values == 0) return RegDeleteKeyA(HKEY_CLASSES_ROOT, extension) == ERROR_SUCCESS ? 0 : 1;
  return 0;
}

static int RestoreExtension(const char *extension) {
  char current[CLASS_SIZE], backup[CLASS_SIZE], backupKey[sizeof kBackupPrefix + 8] = "";
  enum ReadResult read;
  if (ReadClassValue(extension, current, sizeof current) != READ_VALUE || lstrcmpiA(current, kAssociation) != 0)
    return 0; /* not ours, or no longer */
  if (!AppendText(backupKey, sizeof backupKey, kBackupPrefix) || !AppendText(backupKey, sizeof backupKey, extension))
    return 1;
  read = ReadClassValue(backupKey, backup, sizeof backup);
  /* No earlier class (or none that could name a class): the association
     goes, rather than name a class that is about to go. */
  if (read != READ_VALUE || backup[0] == '\0') return ClearExtension(extension) + (read == READ_UNUSABLE);
  return RegSetValueA(HKEY_CLASSES_ROOT, extension, REG_SZ, backup, (DWORD)lstrlenA(backup)) == ERROR_SUCCESS ? 0
                                                                                                              : 1;
}

/* Deletes `name` below `parent` with everything in it; 1 when it is gone. */
static int DeleteTree(HKEY parent, const char *name, int depth) {
  char child[RECORD_NAME_MAX + 1];
  HKEY key;
  LONG opened = RegOpenKeyExA(parent, name, 0, KEY_READ, &key);
  if (opened == ERROR_FILE_NOT_FOUND) return 1;
  if (opened != ERROR_SUCCESS) return 0;
  /* Always the first subkey: each one deleted moves the next into its place. */
  while (depth < KEY_DEPTH_MAX && RegEnumKeyA(key, 0, child, sizeof child) == ERROR_SUCCESS)
    if (!DeleteTree(key, child, depth + 1)) break;
  RegCloseKey(key);
  return RegDeleteKeyA(parent, name) == ERROR_SUCCESS;
}

int RemoveClassesAndEntry(void) {
  int failed = 0;
  size_t i;
  /* Before the class key: the backups live in it. */
  for (i = 0; i < sizeof kExtensions / sizeof kExtensions[0]; ++i) failed += RestoreExtension(kExtensions[i]);
  failed += !DeleteTree(HKEY_CLASSES_ROOT, kClassKey, 0);
  failed += !DeleteTree(HKEY_LOCAL_MACHINE, kUninstallKey, 0);
  return failed;
}
