#include "core/global_block.h"

#include <windows.h>

void *AllocLocked(size_t bytes) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (!block) return nullptr;
  void *pointer = GlobalLock(block);
  if (!pointer) GlobalFree(block);
  return pointer;
}

void FreeLocked(void *pointer) {
  if (!pointer) return;
  HGLOBAL block = GlobalHandle(pointer);
  if (!block) return;
  GlobalUnlock(block);
  GlobalFree(block);
}
