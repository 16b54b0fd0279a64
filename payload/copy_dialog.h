// The copy dialog: extracts the archive inside its first timer message.
#pragma once

#include <windows.h>

INT_PTR CALLBACK CopyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Raised while an extraction runs, so timer messages dispatched meanwhile
// (under an error box) do not start it again.
extern LONG g_extractionGuard;
// Set once the extraction has begun: a copy dialog that ends with -1 before
// it wrote nothing; after it, the copy failed part-way.
extern bool g_extractionBegun;
extern UINT_PTR g_copyTimer;
