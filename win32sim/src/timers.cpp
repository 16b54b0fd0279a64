// The tick count runs on a test clock; timers fire only when a user (the
// scripted one, the default one, or a message box's answer) lets them.
#include <windows.h>

#include <map>
#include <utility>

#include "dialog_internal.h"
#include "win32sim/testapi.h"

namespace {

const uint32_t kInitialClock = 1000000;
uint32_t g_clock = kInitialClock;
uint32_t g_clockStepPerQuery = 0;
bool g_failSetTimer = false;
// (window, id) -> procedure, in order of creation per window.
std::map<std::pair<HWND, UINT_PTR>, TIMERPROC> g_timers;
UINT_PTR g_nextWindowlessId = 1;

}  // namespace

DWORD WINAPI GetTickCount(void) {
  DWORD now = g_clock;
  g_clock += g_clockStepPerQuery;  // time that passes while the product works
  return now;
}

void WINAPI GetLocalTime(LPSYSTEMTIME time) {
  uint32_t milliseconds = g_clock;
  uint32_t seconds = milliseconds / 1000;
  // 2026-01-01 was a Thursday; the clock never runs past its January.
  uint32_t day = seconds / 86400;
  *time = SYSTEMTIME{2026, 1, static_cast<WORD>((4 + day) % 7), static_cast<WORD>(1 + day % 31),
                     static_cast<WORD>(seconds / 3600 % 24), static_cast<WORD>(seconds / 60 % 60),
                     static_cast<WORD>(seconds % 60), static_cast<WORD>(milliseconds % 1000)};
}

UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT, TIMERPROC procedure) {
  if (g_failSetTimer) return 0;
  if (window && !IsWindow(window)) {
    sim::NoteDialogFault("SetTimer on a window that does not exist");
    return 0;
  }
  if (!window) id = g_nextWindowlessId++;
  g_timers[{window, id}] = procedure;  // setting it again replaces it
  return window ? (id ? id : 1) : id;
}

BOOL WINAPI KillTimer(HWND window, UINT_PTR id) {
  if (g_timers.erase({window, id})) return TRUE;
  SetLastError(ERROR_INVALID_PARAMETER);  // what Wine reports for an unknown timer
  return FALSE;
}

namespace sim {

void ResetTimers() {
  g_clock = kInitialClock;
  g_clockStepPerQuery = 0;
  g_failSetTimer = false;
  g_timers.clear();
  g_nextWindowlessId = 1;
}

bool FirstTimerOf(HWND window, UINT_PTR &id, TIMERPROC &procedure) {
  for (const auto &timer : g_timers)
    if (timer.first.first == window) {
      id = timer.first.second;
      procedure = timer.second;
      return true;
    }
  return false;
}

int TimersOf(HWND window) {
  int count = 0;
  for (const auto &timer : g_timers) count += timer.first.first == window;
  return count;
}

void KillTimersOf(HWND window) {
  for (auto it = g_timers.begin(); it != g_timers.end();)
    it = it->first.first == window ? g_timers.erase(it) : std::next(it);
}

void SetClock(uint32_t tickCount) { g_clock = tickCount; }
void AdvanceClock(uint32_t ms) { g_clock += ms; }  // wraps like the real count
void AdvanceClockPerQuery(uint32_t ms) { g_clockStepPerQuery = ms; }
uint32_t Clock() { return g_clock; }
int RunningTimers() { return static_cast<int>(g_timers.size()); }
void FailSetTimer(bool fail) { g_failSetTimer = fail; }

}  // namespace sim
