// HKEY_CLASSES_ROOT as Windows documents it ("HKEY_CLASSES_ROOT Key",
// "Merged View of HKEY_CLASSES_ROOT"): no store of its own, but the machine's
// HKLM\Software\Classes with the user's HKCU\Software\Classes over it. A key
// the user has wins, with its values; writing a value to a key the user has
// stores it there, and any other write, a new key included, goes to the
// machine's. Whatever an unelevated program puts under HKCU\Software\Classes
// is thus what an elevated one reads through HKEY_CLASSES_ROOT.

#include "registry_internal.h"

namespace sim::registry {

namespace {

const std::vector<std::string> kClassesPath = {"Software", "Classes"};

Key *Store(HKEY root) { return Walk(StoreRoot(root), kClassesPath, false); }

}  // namespace

void MakeClassesStores() {
  Walk(StoreRoot(HKEY_LOCAL_MACHINE), kClassesPath, true);
  Walk(StoreRoot(HKEY_CURRENT_USER), kClassesPath, true);
}

bool IsClassesStore(const Key *key) { return key == Store(HKEY_LOCAL_MACHINE) || key == Store(HKEY_CURRENT_USER); }

Key *ClassesKey(const std::vector<std::string> &levels, bool create, bool *denied) {
  Key *machine = Store(HKEY_LOCAL_MACHINE);
  if (levels.empty()) return machine;
  if (Key *user = Walk(Store(HKEY_CURRENT_USER), levels, false)) return user;
  return Walk(machine, levels, create, denied);
}

std::vector<std::string> ClassesSubKeys(const std::vector<std::string> &levels) {
  std::map<std::string, std::string> names;  // folded: as spelled
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
    if (Key *key = Walk(Store(root), levels, false))
      for (auto &child : key->children) names.emplace(child.first, child.second->name);
  std::vector<std::string> merged;
  for (auto &name : names) merged.push_back(name.second);
  return merged;
}

std::vector<std::string> SubKeyNames(const Handle &handle) {
  if (handle.classes) return ClassesSubKeys(handle.classLevels);
  std::vector<std::string> names;
  for (auto &child : handle.key->children) names.push_back(child.second->name);
  return names;
}

}  // namespace sim::registry
