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

// Each slot belongs to one thread at a time, handed over by the semaphores:
// the inflating thread fills a free one, the reading thread empties a filled
// one. A slot filled short is the stream's last. The ring lies on the
// inflating thread's stack, which lasts until the stop.
Slot *g_ring = nullptr;
DWORD g_slotLength[kSlotCount];

HANDLE g_thread = nullptr;
HANDLE g_stopAsked = nullptr;   // manual-reset event
HANDLE g_fillingEnded = nullptr;  // manual-reset event: no slot will be filled any more
HANDLE g_slotsFree = nullptr;   // semaphore, kSlotCount at the start
HANDLE g_slotsFilled = nullptr; // semaphore, 0 at the start
bool g_readsFromAhead = false;

// The reading thread's own: the slot it reads, whether it holds it, how far it is.
LONG g_readSlot = 0;
bool g_holdingSlot = false;
DWORD g_readOffset = 0;

// Until the stream's last slot, or the stop.
void FillSlots(Slot *ring) {
  HANDLE waits[2] = {g_stopAsked, g_slotsFree};
  for (LONG slot = 0;; slot = (slot + 1) % kSlotCount) {
    // The stop comes first when both are there.
    if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) return;
    g_slotLength[slot] = InflatePayload(ring[slot], kSlotSize);
    bool last = g_slotLength[slot] < kSlotSize;
    if (!ReleaseSemaphore(g_slotsFilled, 1, nullptr) || last) return;
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
  HANDLE *objects[] = {&g_thread, &g_stopAsked, &g_fillingEnded, &g_slotsFree, &g_slotsFilled};
  for (HANDLE *object : objects) {
    if (*object) CloseHandle(*object);
    *object = nullptr;
  }
}

// Waits for the next filled slot; false when the thread fills no more
// without having filled the stream's last one (its waits failed).
bool TakeNextSlot() {
  if (!g_thread) return false;
  // A filled slot comes first when both are there.
  HANDLE waits[2] = {g_slotsFilled, g_fillingEnded};
  if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0) return false;
  g_holdingSlot = true;
  g_readOffset = 0;
  return true;
}

// Hands the slot read to its end back to the thread.
bool ReturnSlot() {
  g_holdingSlot = false;
  g_readSlot = (g_readSlot + 1) % kSlotCount;
  return ReleaseSemaphore(g_slotsFree, 1, nullptr) != FALSE;
}

}  // namespace

bool StartInflatingAhead() {
  StopInflatingAhead();
  g_stopAsked = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  g_fillingEnded = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  g_slotsFree = CreateSemaphoreA(nullptr, kSlotCount, kSlotCount, nullptr);
  g_slotsFilled = CreateSemaphoreA(nullptr, 0, kSlotCount, nullptr);
  g_readSlot = 0;
  g_holdingSlot = false;
  g_readOffset = 0;
  if (g_stopAsked && g_fillingEnded && g_slotsFree && g_slotsFilled)
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
  SetEvent(g_stopAsked);
  WaitForSingleObject(g_thread, INFINITE);
  CloseObjects();
  g_holdingSlot = false;
  g_ring = nullptr;
}

void ForgetInflatingAhead() { g_readsFromAhead = false; }
