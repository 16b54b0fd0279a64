// Threads and events on real threads. Every object lives under
// one lock, so that waits and releases order what threads share as Windows'
// do; the lock is the stand-in's only one, and nothing else of the stand-in
// is safe to call from a second thread.
#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "internal.h"
#include "win32sim/testapi.h"

namespace {

// Far from file descriptors, folder handles and mutexes.
const intptr_t kFirstHandle = 0x50000000;

enum class Kind { kThread, kEvent };

struct Object {
  Kind kind;
  bool manualReset = false;
  bool signalled = false;  // threads: ended; events: set
};

std::mutex g_lock;
std::condition_variable g_changed;
std::map<intptr_t, std::shared_ptr<Object>> g_handles;
intptr_t g_nextHandle = kFirstHandle;
int g_running = 0;
int g_creations = 0;
int g_failSkip = 0;
int g_failCount = 0;

template <typename T>
T Fail(DWORD error, T result) {
  SetLastError(error);
  return result;
}

// Under the lock: whether the next creation is one a test made fail.
bool CreationFails() {
  ++g_creations;
  if (g_failSkip > 0) {
    --g_failSkip;
    return false;
  }
  if (g_failCount > 0) {
    --g_failCount;
    return true;
  }
  return false;
}

HANDLE AddHandle(const std::shared_ptr<Object> &object) {
  intptr_t handle = g_nextHandle++;
  g_handles[handle] = object;
  return reinterpret_cast<HANDLE>(handle);
}

std::shared_ptr<Object> Find(HANDLE handle, Kind kind) {
  auto it = g_handles.find(reinterpret_cast<intptr_t>(handle));
  return it != g_handles.end() && it->second->kind == kind ? it->second : nullptr;
}

void Consume(Object &object) {
  if (object.kind == Kind::kEvent && !object.manualReset) object.signalled = false;
}

HANDLE CreateObject(const Object &made) {
  std::lock_guard<std::mutex> hold(g_lock);
  if (CreationFails()) return Fail(ERROR_NOT_ENOUGH_MEMORY, static_cast<HANDLE>(nullptr));
  return AddHandle(std::make_shared<Object>(made));
}

}  // namespace

HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD flags,
                           LPDWORD threadId) {
  if (!start || (flags & ~static_cast<DWORD>(STACK_SIZE_PARAM_IS_A_RESERVATION)))
    return Fail(ERROR_INVALID_PARAMETER, static_cast<HANDLE>(nullptr));
  std::lock_guard<std::mutex> hold(g_lock);
  if (CreationFails()) return Fail(ERROR_NOT_ENOUGH_MEMORY, static_cast<HANDLE>(nullptr));
  auto object = std::make_shared<Object>(Object{Kind::kThread});
  HANDLE handle = AddHandle(object);
  if (threadId) *threadId = static_cast<DWORD>(reinterpret_cast<intptr_t>(handle));
  ++g_running;
  // Detached, as a Windows thread outlives its handle.
  std::thread([object, start, parameter] {
    start(parameter);
    std::lock_guard<std::mutex> ended(g_lock);
    object->signalled = true;
    --g_running;
    g_changed.notify_all();
  }).detach();
  return handle;
}

HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCSTR name) {
  if (name) return Fail(ERROR_INVALID_PARAMETER, static_cast<HANDLE>(nullptr));
  Object made{Kind::kEvent};
  made.manualReset = manualReset != FALSE;
  made.signalled = initialState != FALSE;
  return CreateObject(made);
}

BOOL WINAPI SetEvent(HANDLE event) {
  std::lock_guard<std::mutex> hold(g_lock);
  auto object = Find(event, Kind::kEvent);
  if (!object) return Fail(ERROR_INVALID_HANDLE, FALSE);
  object->signalled = true;
  g_changed.notify_all();
  return TRUE;
}

DWORD WINAPI WaitForSingleObject(HANDLE object, DWORD milliseconds) {
  return WaitForMultipleObjects(1, &object, FALSE, milliseconds);
}

DWORD WINAPI WaitForMultipleObjects(DWORD count, const HANDLE *objects, BOOL waitAll, DWORD milliseconds) {
  if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || !objects || waitAll)
    return Fail(ERROR_INVALID_PARAMETER, WAIT_FAILED);
  std::unique_lock<std::mutex> hold(g_lock);
  std::shared_ptr<Object> waited[MAXIMUM_WAIT_OBJECTS];
  for (DWORD i = 0; i < count; ++i) {
    auto it = g_handles.find(reinterpret_cast<intptr_t>(objects[i]));
    if (it == g_handles.end()) return Fail(ERROR_INVALID_HANDLE, WAIT_FAILED);
    waited[i] = it->second;
  }
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  for (;;) {
    for (DWORD i = 0; i < count; ++i) {
      if (waited[i]->signalled) {
        Consume(*waited[i]);
        return WAIT_OBJECT_0 + i;
      }
    }
    if (milliseconds == INFINITE)
      g_changed.wait(hold);
    else if (g_changed.wait_until(hold, deadline) == std::cv_status::timeout)
      return WAIT_TIMEOUT;
  }
}

namespace sim {

bool CloseSyncObject(HANDLE handle) {
  std::lock_guard<std::mutex> hold(g_lock);
  return g_handles.erase(reinterpret_cast<intptr_t>(handle)) != 0;
}

int OpenSyncHandles() {
  std::lock_guard<std::mutex> hold(g_lock);
  return static_cast<int>(g_handles.size());
}

int RunningThreads() {
  std::lock_guard<std::mutex> hold(g_lock);
  return g_running;
}

void FailSyncObjects(int skip, int count) {
  std::lock_guard<std::mutex> hold(g_lock);
  g_failSkip = skip;
  g_failCount = count;
}

int SyncObjectCreations() {
  std::lock_guard<std::mutex> hold(g_lock);
  return g_creations;
}

void ResetThreads() {
  std::lock_guard<std::mutex> hold(g_lock);
  g_handles.clear();
  g_nextHandle = kFirstHandle;
  g_creations = 0;
  g_failSkip = 0;
  g_failCount = 0;
}

}  // namespace sim
