// Stand-in for <ntsecapi.h>: the system's random bytes.
#pragma once

#include <windows.h>

typedef BYTE BOOLEAN;
typedef void *PVOID;
// The bytes sim::QueueRandomBytes queued, then bytes of a fixed sequence.
BOOLEAN WINAPI SystemFunction036(PVOID buffer, ULONG length);
#define RtlGenRandom SystemFunction036
