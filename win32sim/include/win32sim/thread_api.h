// Threads, events and interlocked counters. The threads are
// real: what the product shares between them is shared as it would be on
// Windows.
#pragma once

#include "win32sim/error_api.h"
#include "win32sim/file_api.h"
#include "win32sim/types.h"

#define INFINITE 0xFFFFFFFF
#define WAIT_OBJECT_0 0x00000000L
#define WAIT_TIMEOUT 258L
#define WAIT_FAILED 0xFFFFFFFF
#define MAXIMUM_WAIT_OBJECTS 64
#define STACK_SIZE_PARAM_IS_A_RESERVATION 0x00010000
#define ERROR_NOT_ENOUGH_MEMORY 8L

typedef DWORD(WINAPI *LPTHREAD_START_ROUTINE)(LPVOID parameter);

// Starts `start(parameter)` on a thread of its own; its handle is signalled
// once the function has returned. Only the flags 0 and
// STACK_SIZE_PARAM_IS_A_RESERVATION are taken (ERROR_INVALID_PARAMETER).
HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES security, SIZE_T stackSize, LPTHREAD_START_ROUTINE start,
                           LPVOID parameter, DWORD flags, LPDWORD threadId);
// Unnamed objects only: a name fails with ERROR_INVALID_PARAMETER.
HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES security, BOOL manualReset, BOOL initialState, LPCSTR name);
BOOL WINAPI SetEvent(HANDLE event);
// WAIT_OBJECT_0 + the lowest index signalled, WAIT_TIMEOUT, or WAIT_FAILED
// for a handle that is none of these objects'. A satisfied wait resets an
// auto-reset event. Waiting for all of them is not taken
// (ERROR_INVALID_PARAMETER): the installer never does.
DWORD WINAPI WaitForSingleObject(HANDLE object, DWORD milliseconds);
DWORD WINAPI WaitForMultipleObjects(DWORD count, const HANDLE *objects, BOOL waitAll, DWORD milliseconds);

// Full barriers, as on x86 Windows, where the product's handover of the
// ring's slots relies on them.
inline LONG InterlockedIncrement(LONG volatile *target) {
  return __atomic_add_fetch(target, 1, __ATOMIC_SEQ_CST);
}
inline LONG InterlockedDecrement(LONG volatile *target) {
  return __atomic_sub_fetch(target, 1, __ATOMIC_SEQ_CST);
}
inline LONG InterlockedExchange(LONG volatile *target, LONG value) {
  return __atomic_exchange_n(target, value, __ATOMIC_SEQ_CST);
}
inline LONG InterlockedCompareExchange(LONG volatile *target, LONG exchange, LONG comparand) {
  __atomic_compare_exchange_n(target, &comparand, exchange, false, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST);
  return comparand;
}
