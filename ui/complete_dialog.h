// Completion dialog (template 230): reports success and offers to start the
// installed program. Ends with 0 (start it) or -1 (leave).
#pragma once

#include <windows.h>

INT_PTR CALLBACK CompleteDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
