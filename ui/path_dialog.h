// Destination path dialog (template 200): confirms or changes the destination
// directory and tells how much space the files take. Ends with 0 (install)
// or -1 (leave).
#pragma once

#include <windows.h>

constexpr size_t kSizeLineSize = 100;  // the "occupy" line, terminating zero included

INT_PTR CALLBACK PathDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
