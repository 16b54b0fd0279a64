#include "payload/inflate_ahead.h"

#include <cstring>

#include "payload/payload_reader.h"

namespace {

// 256 KiB in all, whatever the payload's size.
const LONG kSlotCount = 8;
const DWORD kSlotSize = 32 * 1024;
typedef BYTE Slot[kSlotSize];
// The ring, and room for inflate beside it.
const SIZE_T kStackSize = kSlotCount * kSlotSize + 64 * 1024;
// A full ring waits until this many slots are taken again: one wake-up per
// half ring rather than per slot, since each wait and each signal is a
// request to the system that the writing thread waits on as well.
const LONG kRefillBelow = kSlotCount / 2;

// Slots are filled and taken in turn; g_filled counts those filled and not
// yet taken, and hands each slot over with its length: the inflating thread
// fills a slot only while the count says it is free, the reading thread
// reads one only once the count says it is filled. A slot filled short is
// the stream's last. The ring lies on the inflating thread's stack, which
// lasts until the stop.
Slot *g_ring = nullptr;
DWORD g_slotLength[kSlotCount];
volatile LONG g_filled = 0;
// Set by a thread about to sleep; whoever clears it wakes that thread.
volatile LONG g_fillerSleeps = 0;
volatile LONG g_readerSleeps = 0;
volatile LONG g_stopping = 0;

HANDLE g_thread = nullptr;
HANDLE g_stopAsked = nullptr;     // manual-reset event
HANDLE g_fillingEnded = nullptr;  // manual-reset event: no slot will be filled any more
HANDLE g_roomMade = nullptr;      // auto-reset event: the ring is half empty again
HANDLE g_slotFilled = nullptr;    // auto-reset event: a slot has been filled
bool g_readsFromAhead = false;

// The reading thread's own: the slot it reads, whether it holds it, how far it is.
LONG g_readSlot = 0;
bool g_holdingSlot = false;
DWORD g_readOffset = 0;

LONG SlotsFilled() { return InterlockedCompareExchange(&g_filled, 0, 0); }

// Until a slot is free, or stopped (false). A wake-up that finds too
// little room sleeps again.
bool WaitForRoom() {
  if (SlotsFilled() < kSlotCount) return true;
  HANDLE waits[2] = {g_stopAsked, g_roomMade};
  for (;;) {
    InterlockedExchange(&g_fillerSleeps, 1);
    if (SlotsFilled() <= kRefillBelow) break;
    // The stop comes first when both are there.
    if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) return false;
  }
  InterlockedExchange(&g_fillerSleeps, 0);
  return true;
}

// Until the stream's last slot, or the stop.
void FillSlots(Slot *ring) {
  for (LONG slot = 0;; slot = (slot + 1) % kSlotCount) {
    if (InterlockedCompareExchange(&g_stopping, 0, 0) || !WaitForRoom()) return;
    g_slotLength[slot] = InflatePayload(ring[slot], kSlotSize);
    bool last = g_slotLength[slot] < kSlotSize;
    InterlockedIncrement(&g_filled);
    if (InterlockedExchange(&g_readerSleeps, 0) && !SetEvent(g_slotFilled)) return;
    if (last) return;
  }
}

// No block to ask for or give back: the ring is this function's own, and
// it returns only once stopped, when nobody reads the ring any more.
DWORD WINAPI InflateAhead(LPVOID) {
  Slot ring[kSlotCount];
  g_ring = ring;
  FillSlots(ring);
  SetEvent(g_fillingEnded);
  WaitForSingleObject(g_stopAsked, INFINITE);
  return 0;
}

void CloseObjects() {
  HANDLE *objects[] = {&g_thread, &g_stopAsked, &g_fillingEnded, &g_roomMade, &g_slotFilled};
  for (HANDLE *object : objects) {
    if (*object) CloseHandle(*object);
    *object = nullptr;
  }
}

// Waits for the next filled slot; false when the thread fills no more
// without having filled the stream's last one (it was stopped or a wait
// failed).
bool TakeNextSlot() {
  if (!g_thread) return false;
  HANDLE waits[2] = {g_slotFilled, g_fillingEnded};
  while (SlotsFilled() == 0) {
    InterlockedExchange(&g_readerSleeps, 1);
    if (SlotsFilled() != 0) break;
    DWORD woken = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
    if (woken == WAIT_OBJECT_0) continue;
    // Its last slot is counted before the end is signalled.
    if (woken != WAIT_OBJECT_0 + 1 || SlotsFilled() == 0) return false;
  }
  InterlockedExchange(&g_readerSleeps, 0);
  g_holdingSlot = true;
  g_readOffset = 0;
  return true;
}

// Hands the slot read to its end back to the thread, waking it once half
// the ring is free.
bool ReturnSlot() {
  g_holdingSlot = false;
  g_readSlot = (g_readSlot + 1) % kSlotCount;
  if (InterlockedDecrement(&g_filled) > kRefillBelow || !InterlockedExchange(&g_fillerSleeps, 0)) return true;
  return SetEvent(g_roomMade) != FALSE;
}

}  // namespace

bool StartInflatingAhead() {
  StopInflatingAhead();
  g_stopAsked = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  g_fillingEnded = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  g_roomMade = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  g_slotFilled = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  g_filled = 0;
  g_fillerSleeps = 0;
  g_readerSleeps = 0;
  g_stopping = 0;
  g_readSlot = 0;
  g_holdingSlot = false;
  g_readOffset = 0;
  if (g_stopAsked && g_fillingEnded && g_roomMade && g_slotFilled)
    g_thread = CreateThread(nullptr, kStackSize, InflateAhead, nullptr, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (!g_thread) {
    CloseObjects();
    return false;
  }
  g_readsFromAhead = true;
  return true;
}

bool ReadsComeFromAhead() { return g_readsFromAhead; }

DWORD TakeInflatedAhead(void *buffer, DWORD count) {
  BYTE *out = static_cast<BYTE *>(buffer);
  DWORD delivered = 0;
  while (delivered < count) {
    if (g_holdingSlot && g_readOffset == g_slotLength[g_readSlot]) {
      if (g_slotLength[g_readSlot] < kSlotSize) break;  // the stream's last bytes
      if (!ReturnSlot()) break;
    }
    if (!g_holdingSlot && !TakeNextSlot()) break;
    DWORD left = g_slotLength[g_readSlot] - g_readOffset;
    DWORD part = count - delivered < left ? count - delivered : left;
    memcpy(out + delivered, g_ring[g_readSlot] + g_readOffset, part);
    g_readOffset += part;
    delivered += part;
  }
  return delivered;
}

void StopInflatingAhead() {
  if (!g_thread) return;
  InterlockedExchange(&g_stopping, 1);
  SetEvent(g_stopAsked);
  WaitForSingleObject(g_thread, INFINITE);
  CloseObjects();
  g_holdingSlot = false;
  g_ring = nullptr;
}

void ForgetInflatingAhead() { g_readsFromAhead = false; }
