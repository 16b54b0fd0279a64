// Moveable global blocks: a handle maps to heap memory and a lock count.
#include <windows.h>

#include <cstdlib>
#include <map>

#include "internal.h"
#include "win32sim/testapi.h"

namespace {

struct Block {
  void *memory;
  size_t bytes;
  int locks;
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
  void *memory = (flags & GMEM_ZEROINIT) ? calloc(1, bytes ? bytes : 1) : malloc(bytes ? bytes : 1);
  if (!memory) return nullptr;
  HGLOBAL handle = reinterpret_cast<HGLOBAL>(g_nextHandle);
  g_nextHandle += 0x10;
  g_blocks[handle] = Block{memory, bytes, 0};
  return handle;
}

LPVOID WINAPI GlobalLock(HGLOBAL block) {
  auto it = g_blocks.find(block);
  if (it == g_blocks.end()) return nullptr;
  ++it->second.locks;
  return it->second.memory;
}

BOOL WINAPI GlobalUnlock(HGLOBAL block) {
  auto it = g_blocks.find(block);
  if (it == g_blocks.end() || it->second.locks == 0) return FALSE;
  --it->second.locks;
  return it->second.locks > 0;
}

HGLOBAL WINAPI GlobalHandle(LPCVOID pointer) {
  for (auto &entry : g_blocks)
    if (entry.second.memory == pointer) return entry.first;
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
