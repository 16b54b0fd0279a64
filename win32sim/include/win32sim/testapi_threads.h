// Test side: threads and events.
#pragma once

#include <windows.h>

namespace sim {

// Threads started and not yet returned from their function. Handles of
// threads and events not yet closed count among OpenFileHandles.
int RunningThreads();
// The next `skip` creations of a thread or event succeed, then
// `count` fail with ERROR_NOT_ENOUGH_MEMORY, then all succeed; and how many
// were asked for since Reset.
void FailSyncObjects(int skip, int count);
int SyncObjectCreations();

}  // namespace sim
