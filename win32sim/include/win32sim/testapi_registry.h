// Test side: Registry: an in-memory key tree.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace sim {

// One registry operation of the product, in call order. Keys are spelled as
// the product spelled them: root name, then the path of the handle's opening
// calls and the subkey, e.g. "HKEY_CLASSES_ROOT\MoraLUME_TOVA\installed\A.TXT".
struct RegistryEvent {
  enum Kind { kSetValue, kQueryValue };
  Kind kind;
  std::string key;
  std::string valueName;  // "" for the default value
  DWORD type;             // of a write
  std::string data;       // bytes stored by a write, NUL included where stored
  LONG result;
  // The data up to its first NUL.
  std::string Text() const { return std::string(data.c_str()); }
};

const std::vector<RegistryEvent> &RegistryLog();
void ClearRegistryLog();
// Only the writes (kSetValue) of the log, as "key = text" lines ("key[name]"
// for a named value).
std::vector<std::string> RegistryWrites();

// HKEY_CLASSES_ROOT is the view of HKLM\Software\Classes with the user's
// HKCU\Software\Classes over it: below, it is read and seeded as the product
// reads and writes it, and the dump shows the two stores.
// Seeds a value (the key and its parents are created), not logged.
void SetRegistryValue(HKEY root, const std::string &path, const std::string &name, const std::string &bytes,
                      DWORD type = REG_SZ);
// Seeds a string value with its NUL.
void SetRegistryString(HKEY root, const std::string &path, const std::string &name, const std::string &text);

bool RegistryKeyExists(HKEY root, const std::string &path);
// The stored bytes of a value ("" names the default value), or nothing.
std::optional<std::string> RegistryValue(HKEY root, const std::string &path, const std::string &name = "");
// A stored string without its NUL, or nothing.
std::optional<std::string> RegistryString(HKEY root, const std::string &path, const std::string &name = "");
// Names of the direct subkeys, as first created, in case-insensitive order.
std::vector<std::string> RegistrySubKeys(HKEY root, const std::string &path);
// Every key and value below the three roots, one per line, sorted.
std::string DumpRegistry();
int OpenRegistryKeys();  // handles opened and not closed

// Faults: creating this key or any key below it fails with access denied
// (also when it exists already), and so do writes through a subkey path there;
// one of HKEY_CLASSES_ROOT also when reached as HKEY_LOCAL_MACHINE\Software\Classes.
void FailKeyCreation(HKEY root, const std::string &path);
// A read-only registry, as for a user without write rights: creating a new
// key and every write fail with access denied; RegCreateKeyA still opens an
// existing key (for reading, as Windows does), and reading works.
void SetRegistryWritable(bool writable);
// The same for one key, as when its security lets the user only read it: no
// value set and no new subkey below it; its existing subkeys stay writable.
void DenyKeyWrites(HKEY root, const std::string &path);

}  // namespace sim
