// Named mutexes: a handle per CreateMutexA call, the name alive while a
// handle to it is open or another process (sim::HoldMutex) holds it.
#include <windows.h>

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "event_log.h"
#include "internal.h"
#include "win32sim/testapi.h"

namespace {

// Far above any descriptor number, which file and folder handles are.
const intptr_t kFirstHandle = 0x40000000;

std::map<intptr_t, std::string> g_open;  // handle -> namespace key ("" for an unnamed mutex)
std::set<std::string> g_heldElsewhere;
std::vector<std::string> g_names;
intptr_t g_nextHandle = kFirstHandle;
bool g_failCreation = false;

template <typename T>
T Fail(DWORD error, T result) {
  SetLastError(error);
  return result;
}

// The name as the object manager keys it: "Local\" is the session's own
// namespace, as a bare name is; false for a '\' anywhere else.
bool NamespaceKey(const std::string &name, std::string &key) {
  const std::string global = "Global\\", local = "Local\\";
  if (name.rfind(global, 0) == 0) {
    key = name;
    return name.find('\\', global.size()) == std::string::npos;
  }
  key = name.rfind(local, 0) == 0 ? name.substr(local.size()) : name;
  return key.find('\\') == std::string::npos;
}

bool Taken(const std::string &key) {
  if (g_heldElsewhere.count(key)) return true;
  for (const auto &open : g_open)
    if (open.second == key) return true;
  return false;
}

}  // namespace

HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES, BOOL, LPCSTR name) {
  std::string given = name ? name : "", key;
  if (!given.empty()) g_names.push_back(given);
  if (g_failCreation) return Fail(ERROR_ACCESS_DENIED, static_cast<HANDLE>(nullptr));
  if (!NamespaceKey(given, key)) return Fail(ERROR_PATH_NOT_FOUND, static_cast<HANDLE>(nullptr));
  bool exists = !key.empty() && Taken(key);
  intptr_t handle = g_nextHandle++;
  g_open[handle] = key;
  if (!given.empty()) sim::LogEvent("mutex " + given);
  SetLastError(exists ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return reinterpret_cast<HANDLE>(handle);
}

namespace sim {

bool CloseMutex(HANDLE handle) { return g_open.erase(reinterpret_cast<intptr_t>(handle)) != 0; }
int OpenMutexHandles() { return static_cast<int>(g_open.size()); }

void HoldMutex(const std::string &name) {
  std::string key;
  if (NamespaceKey(name, key)) g_heldElsewhere.insert(key);
}
void FailMutexCreation(bool fail) { g_failCreation = fail; }
const std::vector<std::string> &MutexNames() { return g_names; }

void ResetMutexes() {
  g_open.clear();
  g_heldElsewhere.clear();
  g_names.clear();
  g_nextHandle = kFirstHandle;
  g_failCreation = false;
}

}  // namespace sim
