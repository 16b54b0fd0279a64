// Shared by the dialog area's sources (dialogs, controls, message boxes,
// timers, the scripted user) and the GDI area; not for tests or product code.
#pragma once

#include <windows.h>

#include <cstdint>

namespace sim {

void ResetMessageBoxes();
void ResetTimers();
void ResetUser();

// The dialog on top of the modal stack, or null.
HWND TopDialog();
int TopDialogTemplateId();
// Delivers up to `count` timer messages to the dialog on top, advancing the
// clock by `stepMs` before each; stops early when the dialog ends or has no
// timer running. Returns the number delivered.
int DeliverTimerMessages(int count, uint32_t stepMs);

// Timers of one window.
bool FirstTimerOf(HWND window, UINT_PTR &id, TIMERPROC &procedure);
int TimersOf(HWND window);
void KillTimersOf(HWND window);

// Window geometry and fonts for the GDI area.
bool ClientSizeOf(HWND window, int &width, int &height);
bool FontInUse(HGDIOBJ font);
void NoteDialogFault(const char *what);

// The font of the templates' "Arial" 11, the dialog manager's own object.
HFONT DialogFont();
COLORREF BackgroundOf(HDC context);

}  // namespace sim
