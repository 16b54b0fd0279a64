// Association checklist (template 240): which image types the viewer opens
// from the shell. Ends with 1 (associate by the flags), 0 (skip), -1 (leave),
// or in silent mode at once with the default state.
#pragma once

#include <windows.h>

INT_PTR CALLBACK AssocDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
