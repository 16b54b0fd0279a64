// Opening keys with options, walking their subkeys and deleting keys and
// values, over the tree of registry.cpp. A deleted key is kept until the
// next reset, so that its handles go stale instead of dangling.
#include <windows.h>

#include <algorithm>
#include <cstring>

#include "event_log.h"
#include "registry_internal.h"

namespace sim::registry {

namespace {

std::vector<std::unique_ptr<Key>> g_deletedKeys;

DWORD Longest(const std::vector<std::string> &names) {
  size_t longest = 0;
  for (const std::string &name : names) longest = std::max(longest, name.size());
  return static_cast<DWORD>(longest);
}

}  // namespace

void ForgetDeletedKeys() { g_deletedKeys.clear(); }

}  // namespace sim::registry

using namespace sim::registry;

LONG WINAPI RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM, PHKEY result) {
  if (!result || (options & ~static_cast<DWORD>(REG_OPTION_OPEN_LINK))) return ERROR_INVALID_PARAMETER;
  Handle reached;
  LONG error = Reach(key, subKey, false, reached);
  if (error != ERROR_SUCCESS) return error;
  *result = NewHandle(reached);
  return ERROR_SUCCESS;
}

LONG WINAPI RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD, LPSTR className, DWORD options, REGSAM,
                            LPSECURITY_ATTRIBUTES security, PHKEY result, LPDWORD disposition) {
  if (!result || !subKey || !*subKey || options != REG_OPTION_NON_VOLATILE || (className && *className) || security)
    return ERROR_INVALID_PARAMETER;
  Handle reached;
  bool existed = Reach(key, subKey, false, reached) == ERROR_SUCCESS;
  LONG error = existed ? ERROR_SUCCESS : Reach(key, subKey, true, reached);
  if (error != ERROR_SUCCESS) return error;
  *result = NewHandle(reached);
  if (disposition) *disposition = existed ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
  return ERROR_SUCCESS;
}

LONG WINAPI RegEnumKeyA(HKEY key, DWORD index, LPSTR name, DWORD size) {
  Handle handle;
  if (!Resolve(key, handle)) return ERROR_INVALID_HANDLE;
  std::vector<std::string> names = SubKeyNames(handle);
  if (index >= names.size()) return ERROR_NO_MORE_ITEMS;
  const std::string &found = names[index];
  if (!name || found.size() + 1 > size) return ERROR_MORE_DATA;
  memcpy(name, found.c_str(), found.size() + 1);
  return ERROR_SUCCESS;
}

LONG WINAPI RegDeleteKeyA(HKEY key, LPCSTR subKey) {
  Handle target;
  LONG error = Reach(key, subKey, false, target);
  if (error != ERROR_SUCCESS) return error;
  Key *doomed = target.key;
  // Roots and the two class stores are not the product's to delete.
  if (!doomed->parent || IsClassesStore(doomed) || !doomed->children.empty() || WritesDenied(doomed) ||
      WritesDenied(doomed->parent))
    return ERROR_ACCESS_DENIED;
  auto entry = doomed->parent->children.find(Folded(doomed->name));
  doomed->deleted = true;
  g_deletedKeys.push_back(std::move(entry->second));
  doomed->parent->children.erase(entry);
  sim::LogEvent("registry delete " + target.spelled);
  return ERROR_SUCCESS;
}

LONG WINAPI RegDeleteValueA(HKEY key, LPCSTR name) {
  Handle target;
  if (!Resolve(key, target)) return ERROR_INVALID_HANDLE;
  std::string valueName = name ? name : "";
  auto entry = target.key->values.find(Folded(valueName));
  if (entry == target.key->values.end()) return ERROR_FILE_NOT_FOUND;
  if (WritesDenied(target.key)) return ERROR_ACCESS_DENIED;
  target.key->values.erase(entry);
  sim::LogEvent("registry delete " + target.spelled + "[" + valueName + "]");
  return ERROR_SUCCESS;
}

LONG WINAPI RegQueryInfoKeyA(HKEY key, LPSTR className, LPDWORD classSize, LPDWORD, LPDWORD subKeys,
                             LPDWORD maxSubKeyLength, LPDWORD maxClassLength, LPDWORD values,
                             LPDWORD maxValueNameLength, LPDWORD maxValueLength, LPDWORD securityDescriptor,
                             void *lastWriteTime) {
  Handle handle;
  if (!Resolve(key, handle)) return ERROR_INVALID_HANDLE;
  std::vector<std::string> names = SubKeyNames(handle), valueNames;
  DWORD longestData = 0;
  for (auto &value : handle.key->values) {
    valueNames.push_back(value.second.name);
    longestData = std::max(longestData, static_cast<DWORD>(value.second.data.size()));
  }
  if (className && classSize && *classSize > 0) className[0] = '\0';
  if (classSize) *classSize = 0;
  if (subKeys) *subKeys = static_cast<DWORD>(names.size());
  if (maxSubKeyLength) *maxSubKeyLength = Longest(names);
  if (maxClassLength) *maxClassLength = 0;
  if (values) *values = static_cast<DWORD>(valueNames.size());
  if (maxValueNameLength) *maxValueNameLength = Longest(valueNames);
  if (maxValueLength) *maxValueLength = longestData;
  if (securityDescriptor) *securityDescriptor = 0;
  if (lastWriteTime) memset(lastWriteTime, 0, 8);
  return ERROR_SUCCESS;
}
