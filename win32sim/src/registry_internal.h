// The registry's key tree, shared by its calls (registry*.cpp); not for
// tests or product code.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace sim::registry {

struct Value {
  std::string name;
  DWORD type;
  std::string data;
};

struct Key {
  std::string name;
  Key *parent = nullptr;      // null for a root
  bool writesDenied = false;  // its security lets the user read it only
  bool deleted = false;       // its handles are stale
  std::map<std::string, std::unique_ptr<Key>> children;  // by folded name
  std::map<std::string, Value> values;                   // by folded name
};

// An opened handle: the key and its path as the product spelled it. A handle
// below HKEY_CLASSES_ROOT also keeps its path there, as the view resolves
// each path anew (registry_classes.cpp).
struct Handle {
  Key *key;
  std::string spelled;
  std::string folded;  // root name and folded path, for the faults
  bool classes = false;
  std::vector<std::string> classLevels;
};

std::string Folded(const std::string &name);
bool Resolve(HKEY key, Handle &out);
// Finds or creates base\subKey; the error code on failure.
LONG Reach(HKEY key, LPCSTR subKey, bool create, Handle &out);
HKEY NewHandle(const Handle &handle);
bool WritesDenied(const Key *key);
// The key at `levels` below `key`; missing levels are made when `create`
// says so and their parent lets them be added (else `denied` is set).
Key *Walk(Key *key, const std::vector<std::string> &levels, bool create, bool *denied = nullptr);
// The stored tree of HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE.
Key *StoreRoot(HKEY root);

// HKEY_CLASSES_ROOT, as Windows documents it: a view, not a store. A key the
// user has under HKCU\Software\Classes wins over the machine's under
// HKLM\Software\Classes, values and all; a value written to a key the user
// has goes there, any other write (and any new key) to the machine's.
Key *ClassesKey(const std::vector<std::string> &levels, bool create, bool *denied = nullptr);
// The names of its subkeys: the user's, then the machine's that the user has
// not, in case-insensitive order.
std::vector<std::string> ClassesSubKeys(const std::vector<std::string> &levels);
// The subkey names of an opened key, through the view where it is one.
std::vector<std::string> SubKeyNames(const Handle &handle);
// Makes HKLM\Software\Classes and HKCU\Software\Classes, which every Windows has.
void MakeClassesStores();
bool IsClassesStore(const Key *key);

// Lets go of the keys deleted since the last reset (registry_edit.cpp).
void ForgetDeletedKeys();

}  // namespace sim::registry
