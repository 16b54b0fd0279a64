/* What a user does to a dialog, done from another process. Each returns 0 or an error text. */
#ifndef E2E_DIALOG_ACTIONS_H
#define E2E_DIALOG_ACTIONS_H

#include <windows.h>

const char *TypeText(HWND dialog, int id, const char *text);
const char *ToggleCheckBox(HWND dialog, int id);
const char *PressButton(HWND dialog, int id);
const char *PressKey(HWND dialog, WORD virtualKey);
const char *PressCloseBox(HWND dialog);

#endif
