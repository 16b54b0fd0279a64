// The registry as a tree of keys in memory (HKEY_CLASSES_ROOT is a view of
// two of them: registry_classes.cpp). Key and value names compare
// without regard to case, as on Windows; names keep the case they were
// created with, data keep every byte.
#include <windows.h>

#include <cctype>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <sstream>

#include "internal.h"
#include "event_log.h"
#include "registry_internal.h"
#include "win32sim/testapi.h"

namespace sim::registry {

constexpr size_t kMaxKeyNameLength = 255;  // one level of a key path

std::string Folded(const std::string &name) {
  std::string folded = name;
  for (char &c : folded) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return folded;
}

struct Root {
  HKEY handle;
  const char *name;
  Key key;
};

Root g_roots[] = {
    {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT", {}},
    {HKEY_CURRENT_USER, "HKEY_CURRENT_USER", {}},
    {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", {}},
};

std::map<HKEY, Handle> g_handles;
uintptr_t g_nextHandle = 0x2000;
std::vector<sim::RegistryEvent> g_log;
std::set<std::string> g_failCreation;  // folded full paths
bool g_writable = true;

Root *FindRoot(HKEY key) {
  for (Root &root : g_roots)
    if (root.handle == key) return &root;
  return nullptr;
}

// The key behind a handle, predefined or opened; false for anything else.
bool Resolve(HKEY key, Handle &out) {
  if (Root *root = FindRoot(key)) {
    out = Handle{&root->key, root->name, Folded(root->name), false, {}};
    if (key == HKEY_CLASSES_ROOT) {
      out.key = ClassesKey({}, false);
      out.classes = true;
    }
    return true;
  }
  auto it = g_handles.find(key);
  if (it == g_handles.end() || it->second.key->deleted) return false;
  out = it->second;
  return true;
}

// Splits a subkey path into levels; a leading '\' is refused, empty levels
// in between and at the end are skipped (as under Wine).
bool SplitPath(const char *subKey, std::vector<std::string> &levels, LONG &error) {
  levels.clear();
  if (!subKey || !*subKey) return true;
  if (subKey[0] == '\\') {
    error = ERROR_BAD_PATHNAME;
    return false;
  }
  std::string text = subKey;
  if (text.back() == '\\') text.pop_back();
  size_t start = 0;
  for (;;) {
    size_t end = text.find('\\', start);
    std::string level = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (level.size() > kMaxKeyNameLength) {
      error = ERROR_INVALID_PARAMETER;
      return false;
    }
    if (!level.empty()) levels.push_back(level);
    if (end == std::string::npos) return true;
    start = end + 1;
  }
}

std::string Spelled(const Handle &base, const std::vector<std::string> &levels) {
  std::string path = base.spelled;
  for (const std::string &level : levels) path += "\\" + level;
  return path;
}

std::string FoldedPath(const Handle &base, const std::vector<std::string> &levels) {
  std::string path = base.folded;
  for (const std::string &level : levels) path += "\\" + Folded(level);
  return path;
}

// A key that may be read but not written (no values set, no subkey added),
// as when its security says so or the whole registry is read-only.
bool WritesDenied(const Key *key) { return !g_writable || key->writesDenied; }

bool CreationRefused(const std::string &foldedPath) {
  for (const std::string &refused : g_failCreation)
    if (foldedPath == refused || foldedPath.compare(0, refused.size() + 1, refused + "\\") == 0) return true;
  return false;
}

// The key at `levels` below `key`; missing levels are made when `create`
// says so and their parent lets them be added (else `denied` is set).
Key *Walk(Key *key, const std::vector<std::string> &levels, bool create, bool *denied) {
  for (const std::string &level : levels) {
    std::string folded = Folded(level);
    auto found = key->children.find(folded);
    if (found == key->children.end()) {
      if (!create) return nullptr;
      if (denied && WritesDenied(key)) {
        *denied = true;
        return nullptr;
      }
      auto made = std::make_unique<Key>();
      made->name = level;
      made->parent = key;
      found = key->children.emplace(folded, std::move(made)).first;
    }
    key = found->second.get();
  }
  return key;
}

// Finds or creates base\subKey; the error code on failure.
LONG Reach(HKEY key, LPCSTR subKey, bool create, Handle &out) {
  Handle base;
  if (!Resolve(key, base)) return ERROR_INVALID_HANDLE;
  std::vector<std::string> levels;
  LONG error = ERROR_SUCCESS;
  if (!SplitPath(subKey, levels, error)) return error;
  if (create && CreationRefused(FoldedPath(base, levels))) return ERROR_ACCESS_DENIED;
  bool denied = false;
  std::vector<std::string> classLevels = base.classLevels;
  if (base.classes) classLevels.insert(classLevels.end(), levels.begin(), levels.end());
  Key *found = base.classes ? ClassesKey(classLevels, create, &denied) : Walk(base.key, levels, create, &denied);
  if (denied) return ERROR_ACCESS_DENIED;
  if (!found) return ERROR_FILE_NOT_FOUND;
  out = Handle{found, Spelled(base, levels), FoldedPath(base, levels), base.classes, classLevels};
  return ERROR_SUCCESS;
}

HKEY NewHandle(const Handle &handle) {
  HKEY made = reinterpret_cast<HKEY>(g_nextHandle);
  g_nextHandle += 0x10;
  g_handles[made] = handle;
  return made;
}

Key *StoreRoot(HKEY root) {
  Root *found = root == HKEY_CLASSES_ROOT ? nullptr : FindRoot(root);
  return found ? &found->key : nullptr;
}

LONG OpenHandle(HKEY key, LPCSTR subKey, PHKEY result, bool create) {
  if (!result) return ERROR_INVALID_PARAMETER;
  if ((!subKey || !*subKey) && !create) {
    // As under Wine: RegOpenKeyA gives the handle itself back, while
    // RegCreateKeyA opens a new one (to be closed) on the same key.
    Handle base;
    if (!Resolve(key, base)) return ERROR_INVALID_HANDLE;
    *result = key;
    return ERROR_SUCCESS;
  }
  Handle reached;
  LONG error = Reach(key, subKey, create, reached);
  if (error != ERROR_SUCCESS) return error;
  *result = NewHandle(reached);
  return ERROR_SUCCESS;
}

void Log(sim::RegistryEvent::Kind kind, const std::string &key, const std::string &name, DWORD type,
         const std::string &data, LONG result) {
  g_log.push_back(sim::RegistryEvent{kind, key, name, type, data, result});
  if (kind == sim::RegistryEvent::kSetValue && result == ERROR_SUCCESS)
    sim::LogEvent("registry " + key + (name.empty() ? "" : "[" + name + "]") + " = " + g_log.back().Text());
}

void Store(Key *key, const std::string &name, DWORD type, const std::string &data) {
  Value &value = key->values[Folded(name)];
  if (value.name.empty()) value.name = name;
  value.type = type;
  value.data = data;
}

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == 7 /* REG_MULTI_SZ */; }

void DumpKey(const Key &key, const std::string &path, std::vector<std::string> &lines) {
  lines.push_back(path);
  for (auto &entry : key.values) {
    const Value &value = entry.second;
    std::ostringstream line;
    line << path << " [" << (value.name.empty() ? "@" : value.name) << "] type " << value.type << " = ";
    for (unsigned char c : value.data) {
      if (c >= 0x20 && c < 0x7F && c != '\\')
        line << c;
      else
        line << "\\x" << std::hex << (c >> 4) << (c & 0xF) << std::dec;
    }
    lines.push_back(line.str());
  }
  for (auto &child : key.children) DumpKey(*child.second, path + "\\" + child.second->name, lines);
}

// The key at `path` below a root, through the classes view for
// HKEY_CLASSES_ROOT, made with `create` (which aborts on what no key can be).
Key *TestKey(HKEY root, const std::string &path, bool create) {
  Root *found = FindRoot(root);
  std::vector<std::string> levels;
  LONG error;
  if (!found || !SplitPath(path.c_str(), levels, error)) {
    if (create) abort();
    return nullptr;
  }
  return root == HKEY_CLASSES_ROOT ? ClassesKey(levels, create) : Walk(&found->key, levels, create);
}

const Key *FindKey(HKEY root, const std::string &path) { return TestKey(root, path, false); }

}  // namespace sim::registry

using namespace sim::registry;

LONG WINAPI RegCreateKeyA(HKEY key, LPCSTR subKey, PHKEY result) { return OpenHandle(key, subKey, result, true); }

LONG WINAPI RegOpenKeyA(HKEY key, LPCSTR subKey, PHKEY result) { return OpenHandle(key, subKey, result, false); }

LONG WINAPI RegCloseKey(HKEY key) {
  if (FindRoot(key)) return ERROR_SUCCESS;
  return g_handles.erase(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG WINAPI RegSetValueA(HKEY key, LPCSTR subKey, DWORD type, LPCSTR data, DWORD) {
  Handle target;
  LONG result = ERROR_SUCCESS;
  std::string stored = data ? std::string(data, strlen(data) + 1) : std::string();
  if (type != REG_SZ || !data) {
    result = ERROR_INVALID_PARAMETER;
  } else {
    result = Reach(key, subKey, true, target);
    if (result == ERROR_SUCCESS && WritesDenied(target.key)) result = ERROR_ACCESS_DENIED;
    if (result == ERROR_SUCCESS) Store(target.key, "", REG_SZ, stored);
  }
  Handle base;
  std::string spelled = Resolve(key, base) ? base.spelled : "?";
  if (subKey && *subKey) spelled += std::string("\\") + subKey;
  Log(sim::RegistryEvent::kSetValue, spelled, "", type, stored, result);
  return result;
}

LONG WINAPI RegSetValueExA(HKEY key, LPCSTR name, DWORD, DWORD type, const BYTE *data, DWORD dataSize) {
  Handle target;
  LONG result = ERROR_SUCCESS;
  std::string valueName = name ? name : "";
  // A string counted without its NUL gets it when one follows in memory, as
  // Windows does (which reads that byte, even past the caller's buffer).
  if (data && IsStringType(type) && dataSize > 0 && data[dataSize - 1] != 0 && data[dataSize] == 0) ++dataSize;
  std::string stored = data ? std::string(reinterpret_cast<const char *>(data), dataSize) : std::string();
  if (!Resolve(key, target)) {
    result = ERROR_INVALID_HANDLE;
  } else if (!data && dataSize != 0) {
    result = ERROR_INVALID_PARAMETER;
  } else if (WritesDenied(target.key)) {
    result = ERROR_ACCESS_DENIED;
  } else {
    Store(target.key, valueName, type, stored);
  }
  Log(sim::RegistryEvent::kSetValue, result == ERROR_INVALID_HANDLE ? "?" : target.spelled, valueName, type, stored,
      result);
  return result;
}

LONG WINAPI RegQueryValueA(HKEY key, LPCSTR subKey, LPSTR data, PLONG dataSize) {
  Handle target;
  LONG result = Reach(key, subKey, false, target);
  std::string value;
  if (result == ERROR_SUCCESS) {
    // The stored bytes as they are: a missing default value reads as "".
    auto it = target.key->values.find("");
    bool found = it != target.key->values.end();
    value = found ? it->second.data : std::string(1, '\0');
    bool terminates = !found || IsStringType(it->second.type);
    LONG needed = static_cast<LONG>(value.size());
    if (!dataSize) {
      result = data ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
    } else if (!data) {
      *dataSize = needed;
    } else if (*dataSize < needed) {
      // Windows leaves the buffer undefined; fill it so that a caller that
      // reads it anyway meets garbage without a terminator.
      if (*dataSize > 0) memset(data, '#', static_cast<size_t>(*dataSize));
      *dataSize = needed;
      result = ERROR_MORE_DATA;
    } else {
      memcpy(data, value.data(), value.size());
      // A string stored without its NUL gets one when there is room; the
      // size stays the stored one.
      if (terminates && needed > 0 && value.back() != '\0' && needed < *dataSize) data[needed] = '\0';
      *dataSize = needed;
    }
  }
  Handle base;
  std::string spelled = Resolve(key, base) ? base.spelled : "?";
  if (subKey && *subKey) spelled += std::string("\\") + subKey;
  Log(sim::RegistryEvent::kQueryValue, spelled, "", REG_NONE, value, result);
  return result;
}

LONG WINAPI RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD dataSize) {
  Handle target;
  if (!Resolve(key, target)) return ERROR_INVALID_HANDLE;
  std::string valueName = name ? name : "";
  auto it = target.key->values.find(Folded(valueName));
  LONG result = ERROR_SUCCESS;
  std::string value;
  if (it == target.key->values.end()) {
    result = ERROR_FILE_NOT_FOUND;
  } else {
    value = it->second.data;
    if (type) *type = it->second.type;
    DWORD needed = static_cast<DWORD>(value.size());
    if (data && dataSize && *dataSize < needed) {
      result = ERROR_MORE_DATA;
    } else if (data && dataSize) {
      memcpy(data, value.data(), value.size());
    } else if (data && !dataSize) {
      result = ERROR_INVALID_PARAMETER;
    }
    if (dataSize) *dataSize = needed;
  }
  Log(sim::RegistryEvent::kQueryValue, target.spelled, valueName, REG_NONE, value, result);
  return result;
}

namespace sim {

void ResetRegistry() {
  for (Root &root : g_roots) {
    root.key.children.clear();
    root.key.values.clear();
  }
  g_handles.clear();
  ForgetDeletedKeys();
  g_nextHandle = 0x2000;
  g_log.clear();
  g_failCreation.clear();
  g_writable = true;
  MakeClassesStores();
}

const std::vector<RegistryEvent> &RegistryLog() { return g_log; }

void ClearRegistryLog() { g_log.clear(); }

std::vector<std::string> RegistryWrites() {
  std::vector<std::string> writes;
  for (const RegistryEvent &event : g_log) {
    if (event.kind != RegistryEvent::kSetValue) continue;
    std::string key = event.key;
    if (!event.valueName.empty()) key += "[" + event.valueName + "]";
    writes.push_back(key + " = " + event.Text());
  }
  return writes;
}

void SetRegistryValue(HKEY root, const std::string &path, const std::string &name, const std::string &bytes,
                      DWORD type) {
  Store(TestKey(root, path, true), name, type, bytes);
}

void SetRegistryString(HKEY root, const std::string &path, const std::string &name, const std::string &text) {
  SetRegistryValue(root, path, name, std::string(text.c_str(), text.size() + 1), REG_SZ);
}

bool RegistryKeyExists(HKEY root, const std::string &path) { return FindKey(root, path) != nullptr; }

std::optional<std::string> RegistryValue(HKEY root, const std::string &path, const std::string &name) {
  const Key *key = FindKey(root, path);
  if (!key) return std::nullopt;
  auto it = key->values.find(Folded(name));
  if (it == key->values.end()) return std::nullopt;
  return it->second.data;
}

std::optional<std::string> RegistryString(HKEY root, const std::string &path, const std::string &name) {
  std::optional<std::string> bytes = RegistryValue(root, path, name);
  if (bytes && !bytes->empty() && bytes->back() == '\0') bytes->pop_back();
  return bytes;
}

std::vector<std::string> RegistrySubKeys(HKEY root, const std::string &path) {
  std::vector<std::string> names;
  if (root == HKEY_CLASSES_ROOT) {
    std::vector<std::string> levels;
    LONG error;
    if (SplitPath(path.c_str(), levels, error) && ClassesKey(levels, false)) names = ClassesSubKeys(levels);
  } else if (const Key *key = FindKey(root, path)) {
    for (auto &child : key->children) names.push_back(child.second->name);
  }
  return names;
}

std::string DumpRegistry() {
  std::vector<std::string> lines;
  for (Root &root : g_roots)
    for (auto &child : root.key.children) DumpKey(*child.second, std::string(root.name) + "\\" + child.second->name, lines);
  std::string dump;
  for (const std::string &line : lines) dump += line + "\n";
  return dump;
}

int OpenRegistryKeys() { return static_cast<int>(g_handles.size()); }

void FailKeyCreation(HKEY root, const std::string &path) {
  Root *found = FindRoot(root);
  if (!found) abort();
  std::string below = path.empty() ? "" : "\\" + Folded(path);
  g_failCreation.insert(Folded(found->name) + below);
  // A class key is the same key whether reached through the classes view or
  // the machine's own path.
  if (root == HKEY_CLASSES_ROOT) g_failCreation.insert("hkey_local_machine\\software\\classes" + below);
}

void SetRegistryWritable(bool writable) { g_writable = writable; }

void DenyKeyWrites(HKEY root, const std::string &path) { TestKey(root, path, true)->writesDenied = true; }

}  // namespace sim
