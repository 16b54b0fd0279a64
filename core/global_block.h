// Buffers from the global heap: a moveable block, locked at once and used
// through the locked pointer.
#pragma once

#include <cstddef>

// Null when the block cannot be had.
void *AllocLocked(size_t bytes);
// Unlocks and frees the block behind a pointer from AllocLocked; null is fine.
void FreeLocked(void *pointer);
