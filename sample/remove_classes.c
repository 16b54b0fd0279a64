#include "remove_classes.h"

#include "same_name.h"
#include "record_path.h"

static const char *const kExtensions[] = {".gif", ".jpg", ".pcx", ".png", ".bmp",
                                          ".rle", ".dib", ".tif", ".tga", ".pcd"};
/* The installer writes this name in another case into each extension
   ("MoraLume_TOVA"); key names ignore case, so any case names the class. */
static const char kClassKey[] = "MoraLUME_TOVA";
static const char kBackupPrefix[] = "MoraLUME_TOVA\\license\\ins";
static const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\MoraLUME";
/* Where a registry link (made with REG_OPTION_CREATE_LINK) keeps its target;
   seen only when the key is opened with REG_OPTION_OPEN_LINK. */
static const char kLinkValue[] = "SymbolicLinkValue";

/* A class name is a key name: at most 255 characters. */
#define CLASS_SIZE 256
/* Our keys are three deep; anything deeper is not ours to walk. */
#define KEY_DEPTH_MAX 8

enum ReadResult { READ_VALUE, READ_NO_KEY, READ_UNUSABLE };

typedef LONG(WINAPI *NtDeleteKeyCall)(HANDLE key);

/* The default value of classes\keyName, "" when the key has none. */
static enum ReadResult ReadClassValue(HKEY classes, const char *keyName, char *value, DWORD size) {
  HKEY key;
  DWORD type = REG_NONE, length = size - 1;
  LONG result;
  value[0] = '\0';
  if (RegOpenKeyExA(classes, keyName, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return READ_NO_KEY;
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

static int IsLink(HKEY key) {
  DWORD type = REG_NONE;
  LONG result = RegQueryValueExA(key, kLinkValue, NULL, &type, NULL, NULL);
  return (result == ERROR_SUCCESS || result == ERROR_MORE_DATA) && type == REG_LINK;
}

/* RegDeleteKey opens the key it deletes following links, and so would delete
   a link's target: a link goes through the handle that opened it itself. */
static int DeleteLink(HKEY link) {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  NtDeleteKeyCall deleteKey = ntdll ? (NtDeleteKeyCall)(void (*)(void))GetProcAddress(ntdll, "NtDeleteKey") : NULL;
  return deleteKey && deleteKey(link) == 0;
}

/* Deletes `name` below `parent` with everything in it, never through a
   registry link: a link is deleted itself and what it points to is left
   alone. 1 when it is gone. */
static int DeleteTree(HKEY parent, const char *name, int depth) {
  char child[RECORD_NAME_MAX + 1];
  HKEY key;
  int gone;
  LONG opened = RegOpenKeyExA(parent, name, REG_OPTION_OPEN_LINK, KEY_READ | DELETE, &key);
  if (opened == ERROR_FILE_NOT_FOUND) return 1;
  if (opened != ERROR_SUCCESS) return 0;
  if (IsLink(key)) {
    gone = DeleteLink(key);
    RegCloseKey(key);
    return gone;
  }
  /* Always the first subkey: each one deleted moves the next into its place. */
  while (depth < KEY_DEPTH_MAX && RegEnumKeyA(key, 0, child, sizeof child) == ERROR_SUCCESS)
    if (!DeleteTree(key, child, depth + 1)) break;
  RegCloseKey(key);
  /* Not a link when opened above; only an administrator could make it one
     since, as only an administrator may write below the machine's keys. */
  return RegDeleteKeyA(parent, name) == ERROR_SUCCESS;
}

/* Takes the default value the installer set off the extension, and the key
   too when nothing else is left in it. 0 when done. */
static int ClearExtension(HKEY classes, const char *extension) {
  HKEY key;
  DWORD subkeys = 1, values = 1;
  LONG cleared;
  if (RegOpenKeyExA(classes, extension, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key) != ERROR_SUCCESS) return 1;
  cleared = RegDeleteValueA(key, "");
  if (RegQueryInfoKeyA(key, NULL, NULL, NULL, &subkeys, NULL, NULL, &values, NULL, NULL, NULL, NULL) !=
      ERROR_SUCCESS)
    subkeys = values = 1;
  RegCloseKey(key);
  if (cleared != ERROR_SUCCESS) return 1;
  if (subkeys == 0 && values == 0) return !DeleteTree(classes, extension, KEY_DEPTH_MAX);
  return 0;
}

static int RestoreExtension(HKEY classes, const char *extension) {
  char current[CLASS_SIZE], backup[CLASS_SIZE], backupKey[sizeof kBackupPrefix + 8] = "";
  enum ReadResult read;
  if (ReadClassValue(classes, extension, current, sizeof current) != READ_VALUE || !SameName(current, kClassKey))
    return 0; /* not ours, or no longer */
  if (!AppendText(backupKey, sizeof backupKey, kBackupPrefix) || !AppendText(backupKey, sizeof backupKey, extension))
    return 1;
  read = ReadClassValue(classes, backupKey, backup, sizeof backup);
  /* No earlier class, none that could name a class, or our own (earlier
     installers backed up our class in another case as a foreign one): the
     association goes, rather than name a class that is about to go. */
  if (read != READ_VALUE || backup[0] == '\0' || SameName(backup, kClassKey))
    return ClearExtension(classes, extension) + (read == READ_UNUSABLE);
  return RegSetValueA(classes, extension, REG_SZ, backup, (DWORD)lstrlenA(backup)) == ERROR_SUCCESS ? 0 : 1;
}

int RemoveClassesAndEntry(void) {
  HKEY classes;
  int failed = 0;
  size_t i;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, MACHINE_CLASSES_KEY, 0, KEY_READ | KEY_WRITE, &classes) == ERROR_SUCCESS) {
    /* Before the class key: the backups live in it. */
    for (i = 0; i < sizeof kExtensions / sizeof kExtensions[0]; ++i)
      failed += RestoreExtension(classes, kExtensions[i]);
    failed += !DeleteTree(classes, kClassKey, 0);
    RegCloseKey(classes);
  } else {
    ++failed;
  }
  failed += !DeleteTree(HKEY_LOCAL_MACHINE, kUninstallKey, 0);
  return failed;
}
