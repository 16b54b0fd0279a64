// Global blocks: a handle maps to heap memory and a lock count. A fixed
// block's handle is its memory, as on Windows; a moveable block of 0 bytes
// has no memory (it is born discarded) and does not lock.
#include <windows.h>

#include <cstdlib>
#include <map>

#include "internal.h"
#include "win32sim/testapi.h"

namespace {

struct Block {
  void *memory;  // null for a moveable block of 0 bytes
  size_t bytes;
  int locks;
  bool fixed;
};

// Never destroyed: blocks that the product keeps to the end stay reachable.
std::map<HGLOBAL, Block> &g_blocks = *new std::map<HGLOBAL, Block>;
uintptr_t g_nextHandle = 0x1000;
int g_allocationCalls = 0;
int g_failSkip = 0;
int g_failCount = 0;

}  // namespace

HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes) {
  ++g_allocationCalls;
  if (g_failSkip > 0) {
    --g_failSkip;
  } else if (g_failCount > 0) {
    --g_failCount;
    return nullptr;
  }
  bool fixed = !(flags & GMEM_MOVEABLE);
  void *memory = nullptr;
  if (bytes > 0 || fixed) {
    memory = (flags & GMEM_ZEROINIT) ? calloc(1, bytes ? bytes : 1) : malloc(bytes ? bytes : 1);
    if (!memory) return nullptr;
  }
  HGLOBAL handle = fixed ? memory : reinterpret_cast<HGLOBAL>(g_nextHandle);
  if (!fixed) g_nextHandle += 0x10;
  g_blocks[handle] = Block{memory, bytes, 0, fixed};
  return handle;
}

LPVOID WINAPI GlobalLock(HGLOBAL block) {
  auto it = g_blocks.find(block);
  if (it == g_blocks.end()) return nullptr;
  if (!it->second.memory) {
    SetLastError(ERROR_DISCARDED);
    return nullptr;
  }
  if (!it->second.fixed) ++it->second.locks;
  return it->second.memory;
}

BOOL WINAPI GlobalUnlock(HGLOBAL block) {
  auto it = g_blocks.find(block);
  if (it == g_blocks.end()) return FALSE;
  if (it->second.fixed) return TRUE;
  if (it->second.locks == 0) {
    SetLastError(ERROR_NOT_LOCKED);
    return FALSE;
  }
  if (--it->second.locks > 0) return TRUE;
  SetLastError(ERROR_SUCCESS);
  return FALSE;
}

HGLOBAL WINAPI GlobalHandle(LPCVOID pointer) {
  for (auto &entry : g_blocks)
    if (pointer && entry.second.memory == pointer) return entry.first;
  return nullptr;
}

HGLOBAL WINAPI GlobalFree(HGLOBAL block) {
  auto it = g_blocks.find(block);
  if (it == g_blocks.end()) return block;
  free(it->second.memory);
  g_blocks.erase(it);
  return nullptr;
}

namespace sim {

void ResetMemory() {
  // Blocks the product kept until "process end" belong to the previous test.
  for (auto &entry : g_blocks) free(entry.second.memory);
  g_blocks.clear();
  g_allocationCalls = 0;
  g_failSkip = 0;
  g_failCount = 0;
}

void FailAllocations(int skip, int count) {
  g_failSkip = skip;
  g_failCount = count;
}

int AllocationCalls() { return g_allocationCalls; }
int LiveBlocks() { return static_cast<int>(g_blocks.size()); }

size_t BlockSize(HGLOBAL block) {
  auto it = g_blocks.find(block);
  return it == g_blocks.end() ? 0 : it->second.bytes;
}

int BlockLocks(HGLOBAL block) {
  auto it = g_blocks.find(block);
  return it == g_blocks.end() ? -1 : it->second.locks;
}

int LockedBlocks() {
  int locked = 0;
  for (auto &entry : g_blocks)
    if (entry.second.locks > 0) ++locked;
  return locked;
}

}  // namespace sim
